// The page's worker: the engine above runs here, one press of the compute button per
// message, so the page stays responsive while it computes. Its files ("mat.data",
// "mat.result", the step view's "working.html") live in memory and are handed to the page
// after each run; a run's progress goes to the page as it happens.
'use strict';

// A new instance after a run the engine could not finish (the browser gave it no more
// memory): whatever that run left half done is gone with it.
let engine = null;

function copyIn(module, bytes) {
  const at = module._malloc(bytes.length + 1);
  if (!at) throw new RangeError('no memory for the box texts');
  module.HEAPU8.set(bytes, at);
  return at;
}

// The text the engine returned at `at`, up to its NUL, as bytes; then frees it.
function takeAnswer(module, at) {
  if (!at) throw new RangeError('no memory for the answer');
  const heap = module.HEAPU8;
  const end = heap.indexOf(0, at);
  const bytes = heap.slice(at, end);
  module._free(at);
  return bytes;
}

// The file's bytes, taken out of the in-memory file system, which then lets it go; empty
// when the run left no such file.
function takeFile(module, name) {
  let node;
  try {
    node = module.FS.lookupPath(name).node;
  } catch (missing) {
    return new Uint8Array(0);
  }
  const bytes = ownBytes(node.contents, node.usedBytes);
  module.FS.unlink(name);
  return bytes;
}

// The first `size` bytes of a file's contents as a Uint8Array that has its buffer to itself,
// so it can be handed to the page without a copy. A file written at once from the engine's
// memory holds a slice of that memory as the engine sees it, an Int8Array, whose bytes
// above 0x7f would read as negative numbers.
function ownBytes(contents, size) {
  if (!contents || !size) return new Uint8Array(0);
  const bytes = new Uint8Array(contents.buffer, contents.byteOffset, size);
  return bytes.byteLength === bytes.buffer.byteLength ? bytes : bytes.slice();
}

// The answer's lines: outcome and order, then for a failure the English and the GBK
// message; for no order, why; for a completed run, the note of where reading stopped
// (empty when every entry was read) and the largest order the step view shows; for an
// order too large for the page, the largest it takes. Notes quote the box texts, in GBK.
function readAnswer(bytes) {
  const lines = [];
  let start = 0;
  for (let i = 0; i < bytes.length; i++)
    if (bytes[i] === 10) {
      lines.push(bytes.subarray(start, i));
      start = i + 1;
    }
  const text = line => (line ? new TextDecoder('gbk').decode(line) : '');
  const status = text(lines[0]);
  const order = Number(text(lines[1]));
  switch (status) {
    case 'too_large_for_page':
      return { status, order, limit: Number(text(lines[2])) };
    case 'failed':
      return { status, order, message: new TextDecoder().decode(lines[2]), messageChinese: text(lines[3]) };
    case 'no_order':
      return { status, order, message: text(lines[2]) };
    case 'completed':
      return { status, order, note: text(lines[2]), workingLimit: Number(text(lines[3])) };
    default:
      return { status, order };
  }
}

// Tells the page the step the run is at, at most every tenth of a second.
function progressReporter() {
  let last = 0;
  return (step, total) => {
    const now = Date.now();
    if (now - last < 100 && step < total) return;
    last = now;
    postMessage({ step, total });
  };
}

// Room for the report of order n before the run writes it: the in-memory file system
// grows a large file an eighth at a time, copying it each time, which at N = 200 took
// longer than the run. The run finds "mat.result" empty and writes into that room. A
// report of integers takes about 6 bytes a value; 14 is more than the most a value takes
// with its blanks, and untouched room costs no memory.
function makeRoomForReport(module, n) {
  if (!(n > 50)) return;
  const bytes = Math.min(2 * n * n * 2 * n * 14, 3.5 * 2 ** 30);
  try {
    module.FS.writeFile('mat.result', '');
    const node = module.FS.lookupPath('mat.result').node;
    node.contents = new Uint8Array(bytes);
    node.usedBytes = 0;
  } catch (noRoom) { /* the file grows as it is written */ }
}

function runPress(module, press) {
  const dimension = copyIn(module, press.dimension);
  const data = copyIn(module, press.data);
  module.onStep = progressReporter();
  module.onOrder = n => makeRoomForReport(module, n);
  let answer;
  try {
    answer = takeAnswer(module, module._torvane_page_run(dimension, press.dimension.length, data, press.data.length, press.working ? 1 : 0));
  } finally {
    module.onStep = null;
    module.onOrder = null;
    module._free(dimension);
    module._free(data);
  }
  const working = takeFile(module, 'working.html');
  const latex = takeFile(module, 'working.tex');
  return {
    ...readAnswer(answer),
    report: takeFile(module, 'mat.result'),
    data: takeFile(module, 'mat.data'),
    working: working.length ? new TextDecoder().decode(working) : null,
    latex: latex.length ? latex : null,
  };
}

onmessage = async ({ data: press }) => {
  let done;
  try {
    engine = engine || (await createTorvaneEngine({ print() {}, printErr() {} }));
    done = runPress(engine, press);
  } catch (error) {
    engine = null;
    done = { status: 'out_of_page_memory', order: 0, error: String(error), report: new Uint8Array(0), data: new Uint8Array(0) };
  }
  try {
    postMessage({ done }, [done.report.buffer, done.data.buffer]);
  } catch (tooLarge) {
    postMessage({ done: { status: 'out_of_page_memory', order: done.order, error: String(tooLarge),
      report: new Uint8Array(0), data: new Uint8Array(0) } });
  }
};
