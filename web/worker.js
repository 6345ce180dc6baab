// The page's worker: the engine above runs here, one press of the compute button per
// message, so the page stays responsive while it computes. Its files ("mat.data",
// "mat.result", the step view's "working.html") live in memory and are handed to the page
// after each run; a run's progress goes to the page as it happens.
'use strict';

// The engine is made when the worker starts, while the boxes are being filled in, so that
// the first press does not wait the 0.2 s it takes to compile. A new instance after a run
// the engine could not finish (the browser gave it no more memory): whatever that run left
// half done is gone with it.
async function makeEngine() {
  const module = await createTorvaneEngine({ print() {}, printErr() {} });
  writeIntoRoom(module);
  return module;
}
let engine = makeEngine();
engine.catch(() => { engine = null; });

// The box texts as the dialog keeps them: Windows' Chinese code page, GBK. A character
// GBK has no code for becomes '?', as it does there. Bytes given are taken as they are.
let gbkCodes = null;
function gbkTable() {
  if (gbkCodes) return gbkCodes;
  gbkCodes = new Map();
  const decoder = new TextDecoder('gbk', { fatal: true });
  const pair = new Uint8Array(2);
  for (let lead = 0x81; lead <= 0xfe; lead++)
    for (let trail = 0x40; trail <= 0xfe; trail++) {
      if (trail === 0x7f) continue;
      pair[0] = lead;
      pair[1] = trail;
      try {
        const text = decoder.decode(pair);
        if (text.length === 1 && !gbkCodes.has(text)) gbkCodes.set(text, lead << 8 | trail);
      } catch (notACode) { /* no character there */ }
    }
  return gbkCodes;
}
function boxBytes(text) {
  if (text instanceof Uint8Array) return text;
  if (/^[\x00-\x7f]*$/.test(text)) return new TextEncoder().encode(text);  // ASCII: the same bytes
  const bytes = new Uint8Array(2 * text.length);
  let size = 0;
  for (const c of text) {
    const code = c.charCodeAt(0) < 0x80 ? c.charCodeAt(0) : gbkTable().get(c);
    if (code === undefined) bytes[size++] = 0x3f;
    else if (code > 0xff) {
      bytes[size++] = code >> 8;
      bytes[size++] = code & 0xff;
    } else bytes[size++] = code;
  }
  return bytes.subarray(0, size);
}

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
  const bytes = ownBytes(node.contents, node.usedBytes, module.HEAPU8.buffer);
  module.FS.unlink(name);
  return bytes;
}

// The first `size` bytes of a file's contents as a Uint8Array whose buffer is the file's
// own, so it can be handed to the page without a copy: the room past `size` was never
// touched and costs no memory. A view of the engine's memory (a write the file system
// took whole) is copied out of it.
function ownBytes(contents, size, engineMemory) {
  if (!contents || !size) return new Uint8Array(0);
  const bytes = new Uint8Array(contents.buffer, contents.byteOffset, size);
  return bytes.buffer !== engineMemory && bytes.byteOffset === 0 ? bytes : bytes.slice();
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

// The in-memory file system grows a file past its end by an eighth, copying it each time,
// and replaces the room a file has by a copy of its first write: a report of 300 MB was
// copied some 150 times, which at N = 200 took five times as long as the run. Its files
// keep their room here, and grow by doubling when the room runs out.
function writeIntoRoom(module) {
  module.FS.writeFile('.room', '');
  const fileOperations = module.FS.lookupPath('.room').node.stream_ops;  // shared by every file
  module.FS.unlink('.room');
  const write = fileOperations.write;
  fileOperations.write = (stream, buffer, offset, length, position, canOwn) => {
    const node = stream.node;
    if (!length || !buffer.subarray || (node.contents && !node.contents.subarray))
      return write(stream, buffer, offset, length, position, canOwn);
    const end = position + length;
    if (!node.contents || node.contents.length < end) {
      const room = new Uint8Array(Math.max(end, 2 * (node.contents ? node.contents.length : 0), 256));
      if (node.usedBytes) room.set(node.contents.subarray(0, node.usedBytes));
      node.contents = room;
    }
    // As bytes: the engine's memory is seen as signed bytes, which would be converted one by one.
    node.contents.set(new Uint8Array(buffer.buffer, buffer.byteOffset + offset, length), position);
    node.usedBytes = Math.max(node.usedBytes, end);
    node.timestamp = Date.now();
    return length;
  };
}

// Room for the report of order n before the run writes it, so that it is never copied to
// grow. A report of integers takes about 6 bytes a value; 14 is more than the most a value
// takes with its blanks, and untouched room costs no memory. `given` is the buffer of an
// earlier report the page no longer needs: where it is large enough, the report is written
// into it, memory the browser has already given (new memory, touched page by page, was
// three quarters of a run's time at order 200).
function makeRoomForReport(module, n, given) {
  if (!(n > 50)) return;
  const bytes = Math.min(2 * n * n * 2 * n * 14, 3.5 * 2 ** 30);
  try {
    module.FS.writeFile('mat.result', '');
    const node = module.FS.lookupPath('mat.result').node;
    node.contents = given && given.byteLength >= bytes ? new Uint8Array(given) : new Uint8Array(bytes);
    node.usedBytes = 0;
  } catch (noRoom) { /* the file grows as it is written */ }
}

function runPress(module, press) {
  const dimensionBytes = boxBytes(press.dimension);
  const dataBytes = boxBytes(press.data);
  const dimension = copyIn(module, dimensionBytes);
  const data = copyIn(module, dataBytes);
  module.onStep = progressReporter();
  module.onOrder = n => makeRoomForReport(module, n, press.room);
  let answer;
  try {
    answer = takeAnswer(module, module._torvane_page_run(dimension, dimensionBytes.length, data, dataBytes.length, press.working ? 1 : 0));
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
    done = runPress(await (engine = engine || makeEngine()), press);
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
