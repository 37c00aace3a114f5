#!/bin/sh
# Installs the package as a user would: pip into a fresh virtual environment
# from a clean copy of the tree, then runs the Python tests against it from
# another folder. Then the wheel, and an installation without the bundled
# library that falls back to a library of the system.
#   install_check.sh SOURCE_DIR PYTHON
set -eu
source_dir=$1
python=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
step() { echo "== $*"; }

step "a clean copy of the tree"
mkdir "$work/src"
tar -C "$source_dir" --exclude='./build*' --exclude=./.git --exclude='./python/build' \
  --exclude='*.egg-info' --exclude=__pycache__ --exclude=./out -cf - . | tar -C "$work/src" -xf -

new_venv() {
  "$python" -m venv --system-site-packages "$1"
  # Interpreters other than Debian's make venvs without wheel; apt's
  # python3-wheel-whl provides it without any index.
  if ! "$1/bin/python" -c 'import wheel' 2>/dev/null; then
    "$1/bin/pip" install --quiet --no-index --find-links /usr/share/python-wheels wheel
  fi
}

step "pip install into a fresh virtual environment"
new_venv "$work/venv"
"$work/venv/bin/pip" install --quiet --no-build-isolation --no-index "$work/src/python"

step "the tests against the installed package, from another folder"
mkdir "$work/elsewhere"
cd "$work/elsewhere"
env -u EVALO_LIBRARY -u PYTHONPATH -u LD_LIBRARY_PATH "$work/venv/bin/python" - "$work/venv" <<'PY'
import sys, evalo, evalo._library
venv = sys.argv[1]
assert evalo.__file__.startswith(venv), evalo.__file__
library = evalo._library.default_path()
assert library == evalo.__file__.replace("__init__.py", "libevalo.so.1"), library
print("imported", evalo.__file__, "with", library)
PY
env -u EVALO_LIBRARY -u PYTHONPATH -u LD_LIBRARY_PATH PYTHONDONTWRITEBYTECODE=1 \
  "$work/venv/bin/python" -m unittest discover -s "$work/src/python/tests"

step "the wheel"
"$python" -m build --no-isolation --wheel --outdir "$work/dist" "$work/src/python" >/dev/null
"$python" - "$work"/dist/evalo-*.whl <<'PY'
import sys, zipfile
names = zipfile.ZipFile(sys.argv[1]).namelist()
for wanted in ("evalo/__init__.py", "evalo/libevalo.so.1", "evalo/py.typed"):
    assert wanted in names, (wanted, names)
assert "-linux_" in sys.argv[1], sys.argv[1]
print("wheel", sys.argv[1].rsplit("/", 1)[1], "holds", len(names), "files")
PY

step "without the bundled library: the system's, or an ImportError that says so"
new_venv "$work/venv-system"
EVALO_BUNDLE_LIBRARY=0 "$work/venv-system/bin/pip" install --quiet --no-build-isolation \
  --no-index "$work/src/python"
library_dir=$(dirname "$(find "$work/src/python/build" -name 'libevalo.so.1' | head -n 1)")
env -u EVALO_LIBRARY -u PYTHONPATH LD_LIBRARY_PATH="$library_dir" \
  "$work/venv-system/bin/python" -c 'import evalo; assert evalo.evaluate("2^10") == 1024'
if env -u EVALO_LIBRARY -u PYTHONPATH -u LD_LIBRARY_PATH \
    "$work/venv-system/bin/python" -c 'import evalo' 2>"$work/message"; then
  echo "import succeeded without any library"; exit 1
fi
grep -q "ImportError: evalo: cannot load libevalo.so.1" "$work/message"
grep -q "pip install" "$work/message"
env -u PYTHONPATH EVALO_LIBRARY="$library_dir/libevalo.so.1" \
  "$work/venv-system/bin/python" -c 'import evalo; assert evalo.evaluate("2^10") == 1024'
echo "install check passed"
