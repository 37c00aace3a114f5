// The package's public names, shared by the Node and browser entry points.
import { evaluate, evaluateText, tryEvaluate, evaluateMany, Evaluator, EvaluationError } from './api.js';
import { ready, load } from './ready.js';

export { evaluate, evaluateText, tryEvaluate, evaluateMany, Evaluator, EvaluationError, ready, load };
export default { evaluate, evaluateText, tryEvaluate, evaluateMany, Evaluator, EvaluationError, ready, load };
