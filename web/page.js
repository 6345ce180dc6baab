// The page plays the dialog: the two input boxes, the compute button and the result box.
// The run itself happens in a worker started from the engine's script in this page
// (nothing is fetched); window.torvane.run is the same press without the boxes.
'use strict';
(() => {
  // The result box shows a report up to this many bytes; beyond it the box holds its
  // beginning and its end, the inverse, and the whole report is in the download. A text
  // area lays out all its text at once: 4 MB kept the page still for most of a second,
  // 1 MB for 0.16 s.
  const largestShownReport = 1 << 19;

  const box = id => document.getElementById(id);

  // The answer of a press that never reached the engine.
  const unanswered = status => ({ status, order: 0, report: new Uint8Array(0), data: new Uint8Array(0) });

  // The engine is compiled for WebAssembly's 128-bit vectors (Chrome and Edge 91, Firefox
  // 89, Safari 16.4 and later have them). A browser without them is told so when the page
  // opens and at every press, not that it gave the run too little memory. The probe is a
  // module of one function that returns a vector.
  const vectorProbe = Uint8Array.of(0x00, 0x61, 0x73, 0x6d, 1, 0, 0, 0, 1, 5, 1, 0x60, 0, 1, 0x7b, 3, 2, 1, 0,
    10, 22, 1, 20, 0, 0xfd, 0x0c, ...new Array(16).fill(0), 0x0b);
  const engineRuns = typeof WebAssembly === 'object' && WebAssembly.validate(vectorProbe);

  // --- The worker: one run at a time, the next press waits for the last. ---
  let worker = null;
  let current = null;  // { resolve, onStep } of the run under way
  function startWorker() {
    const source = box('torvane-worker').textContent;
    worker = new Worker(URL.createObjectURL(new Blob([source], { type: 'text/javascript' })));
    worker.onmessage = ({ data }) => {
      if (!current) return;
      if (data.done) {
        const { resolve } = current;
        current = null;
        resolve(data.done);
      } else if (current.onStep) current.onStep(data.step, data.total);
    };
    // A worker the browser stopped (out of memory, say) is replaced for the next run.
    worker.onerror = event => {
      event.preventDefault();
      worker.terminate();
      worker = null;
      if (current) {
        const { resolve } = current;
        current = null;
        resolve(unanswered('out_of_page_memory'));
      }
    };
  }

  // The box texts go to the worker as they are, which puts them in GBK, as the dialog keeps
  // them: a data box of 20 MB took the page's thread three seconds to convert.
  const boxText = text => (text instanceof Uint8Array ? text : text === undefined || text === null ? '' : String(text));

  let queue = Promise.resolve();
  // One press: resolves to { report, data, status, order, ... } once the run is over;
  // with `working` also the step view's page, for an order it can show. `room`, the
  // buffer of an earlier report no longer needed, goes to the worker to hold this one.
  function run(dimensionText, dataText, { working = false, onStep = null, room = null } = {}) {
    if (!engineRuns) return Promise.resolve(unanswered('unsupported_browser'));
    const press = { dimension: boxText(dimensionText), data: boxText(dataText), working, room };
    const done = queue.then(() => new Promise(resolve => {
      if (!worker) startWorker();
      current = { resolve, onStep };
      worker.postMessage(press, room ? [room] : []);
    }));
    queue = done.catch(() => {});
    return done;
  }
  const handedBack = buffer => (buffer instanceof ArrayBuffer && buffer.byteLength ? buffer : null);
  window.torvane = { run: (dimensionText, dataText, options) => run(dimensionText, dataText,
    { working: Boolean(options && options.working), room: handedBack(options && options.room) }) };

  // --- The dialog. ---
  const gbk = new TextDecoder('gbk');
  let files = { data: null, report: null };

  function download(bytes, name) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }
  box('download-data').onclick = () => files.data && download(files.data, 'mat.data');
  box('download-result').onclick = () => files.report && download(files.report, 'mat.result');
  box('download-latex').onclick = () => files.latex && download(files.latex, 'working.tex');

  function megabytes(bytes) { return (bytes / 1048576).toFixed(1) + ' MB'; }

  // The heading of the inverse, "求逆结果：" in GBK, and the rule line before it.
  const inverseHeading = [0xC7, 0xF3, 0xC4, 0xE6, 0xBD, 0xE1, 0xB9, 0xFB, 0xA3, 0xBA];
  const ruleLine = 24;  // "########################"

  // Where the inverse's frame begins: the start of the rule line above its heading.
  function inverseStart(report) {
    const from = Math.max(0, report.length - largestShownReport);
    for (let at = report.length - inverseHeading.length; at >= from; at--) {
      if (report[at] !== inverseHeading[0] || !inverseHeading.every((b, k) => report[at + k] === b)) continue;
      const start = at - 2 - ruleLine;  // "####...#" CR LF, then the heading
      return start >= 0 && report[start] === 0x23 ? start : at;
    }
    return report.length;
  }

  // A large report shows its beginning and its end, the inverse, which is what the user
  // came for; the passes in between are in the download.
  function showReport(report) {
    if (report.length <= largestShownReport) {
      box('result').value = gbk.decode(report);
      return;
    }
    const tail = inverseStart(report);
    let end = Math.max(0, largestShownReport - (report.length - tail));
    while (end > 0 && report[end - 1] !== 10) end--;  // whole lines only
    box('result').value = gbk.decode(report.subarray(0, end)) +
      '\u2026 此处略去 ' + (tail - end) + ' 字节的消元过程，完整报告请下载 mat.result' +
      ' (' + megabytes(tail - end) + ' of the passes are left out here; the report is ' + megabytes(report.length) +
      ': download mat.result for the whole of it)\r\n' + gbk.decode(report.subarray(tail));
  }

  // Chinese, then the same in English, marked as English for readers and for speech.
  function say(element, chinese, english) {
    const inEnglish = document.createElement('span');
    inEnglish.lang = 'en';
    inEnglish.textContent = english;
    element.replaceChildren(chinese + ' ', inEnglish);
  }

  // The step view's page goes into its frame in pieces, one task each: the page of order
  // 100 (15 MB) set at once as the frame's srcdoc kept the page still for a third of a
  // second, and its loading for two. A later run's page, or none, stops the writing. Each
  // page gets a new frame: a document written again keeps its window, and with it the
  // names the last page's scripts declared.
  const stepViewPiece = 1 << 18;
  let stepViewWriting = 0;
  async function writeStepView(page) {
    const writing = ++stepViewWriting;
    const frame = box('steps').cloneNode(false);
    box('steps').replaceWith(frame);
    const view = frame.contentDocument;
    view.open();
    for (let at = 0; at < page.length;) {
      let end = Math.min(page.length, at + stepViewPiece);
      if ((page.charCodeAt(end) & 0xfc00) === 0xdc00) end++;  // a character stays whole
      view.write(page.slice(at, end));
      at = end;
      await new Promise(resolve => setTimeout(resolve, 0));
      if (writing !== stepViewWriting) return;
    }
    view.close();
  }

  // The step view of a completed run; none for an order beyond what it shows, which the
  // note below the buttons then gives as the reason.
  function showWorking(answer) {
    const page = answer && answer.working ? answer.working : null;
    box('working').classList.toggle('shown', page !== null);
    writeStepView(page || '');
    const unshown = answer && !page && answer.order > answer.workingLimit;
    if (unshown)
      say(box('working-note'), '计算过程只显示 ' + answer.workingLimit + ' 阶以内的矩阵，这个矩阵是 ' + answer.order + ' 阶。',
        'the working is shown for orders up to ' + answer.workingLimit + '; this matrix is of order ' + answer.order +
        ', so the page shows only its report');
    else box('working-note').replaceChildren();
  }

  function failureText(answer) {
    switch (answer.status) {
      case 'failed':
        return answer.messageChinese + '\n' + answer.message;
      case 'too_large_for_page':
        return '维数 ' + answer.order + ' 超出本页面的限度：本页面最多计算 ' + answer.limit + ' 阶矩阵，更大的矩阵请用 torvane 程序。\n' +
          'an order of ' + answer.order + ' is more than this page can hold: it takes orders up to ' + answer.limit +
          ' (the report is kept in the browser\'s memory); use the console program torvane for larger matrices';
      case 'unsupported_browser':
        return '这个浏览器不能运行本页面的计算程序：它需要 WebAssembly 的 128 位向量指令（Chrome 与 Edge 91、Firefox 89、Safari 16.4 及以后的版本都有）。\n' +
          'this browser cannot run the page\'s engine, which needs WebAssembly\'s 128-bit vectors (Chrome and Edge 91, ' +
          'Firefox 89, Safari 16.4 and later have them)';
      default:
        return '浏览器没有足够的内存完成这次计算。\n' +
          'the browser did not give this page the memory the run needs; try a smaller order';
    }
  }

  function show(answer) {
    box('message').replaceChildren();
    if (answer.status === 'completed') {
      showReport(answer.report);
      showWorking(answer);
      // The run went on as designed, with the entries it could not read repeating the last
      // one read; the note says where and why reading stopped, as the console does.
      if (answer.note) say(box('message'), '数据没有全部读入：', answer.note);
    } else if (answer.status !== 'no_order') {
      box('result').value = failureText(answer);
      showWorking(null);
    } else {  // no order: the result box keeps its text, the step view of another run goes
      showWorking(null);
      say(box('message'), '没有计算：', answer.message);
    }
    files = { data: answer.data.length ? answer.data : null, report: answer.status === 'completed' ? answer.report : null,
      latex: answer.status === 'completed' && answer.latex ? answer.latex : null };
    box('download-latex').disabled = !files.latex;
    box('download-data').disabled = !files.data;
    box('download-result').disabled = !files.report;
  }

  function progress(step, total) {
    say(box('progress'), '第 ' + step + ' 步，共 ' + total + ' 步', '(step ' + step + ' of ' + total + ')');
  }

  // The data box's text as the dialog's box holds it: a text area gives its line breaks as
  // LF, where the dialog's edit control has CR LF; "mat.data" gets what the dialog writes.
  const dialogLineBreaks = text => text.replace(/\r\n|\r|\n/g, '\r\n');

  // While a run goes on the button only says it is busy: a disabled button would lose the
  // keyboard focus to the page's body.
  const busy = () => box('compute').getAttribute('aria-disabled') === 'true';
  async function compute() {
    if (busy()) return;
    box('compute').setAttribute('aria-disabled', 'true');
    say(box('progress'), '计算中…', 'computing');
    // The last report goes with this press (its end replaces it whatever the outcome); its
    // memory holds the next one.
    const room = files.report ? files.report.buffer : null;
    files.report = null;
    box('download-result').disabled = true;
    try {
      show(await run(box('dimension').value, dialogLineBreaks(box('data').value), { working: true, onStep: progress, room }));
    } finally {
      box('progress').replaceChildren();
      box('compute').removeAttribute('aria-disabled');
    }
  }
  box('compute').onclick = compute;
  box('dimension').addEventListener('keydown', event => {
    if (event.key === 'Enter') {
      event.preventDefault();
      compute();
    }
  });

  // The step view's ← and → work from anywhere on the page but the text boxes.
  document.addEventListener('keydown', event => {
    const frame = box('steps');
    if (!box('working').classList.contains('shown') || event.target.matches('input, textarea')) return;
    const button = { ArrowLeft: 'prev', ArrowRight: 'next' }[event.key];
    const target = button && frame.contentDocument && frame.contentDocument.getElementById(button);
    if (target) target.click();
  });
  if (engineRuns) startWorker();  // the engine compiles while the boxes are filled in
  else box('result').value = failureText(unanswered('unsupported_browser'));
  document.body.dataset.ready = 'yes';
})();
