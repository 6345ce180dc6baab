#pragma once
// The fixed parts of the page `torvane --html` writes: its style and markup before the
// data, and the script after it that builds each step's matrix from the changes of the
// steps before it and highlights them. The data goes between the two as `const T = {...}`,
// its steps added by scripts of their own (`T.steps.push(...)`, html_view.cpp) and then
// `T.result` and `T.ex`:
//   n        the order N
//   start    the texts of [A | I], row by row, joined by blanks
//   steps    per step block: h heading, o operations in words, p pivot row (from 0),
//            r whether the pivot was repaired, z places the 1e-6 rule set to 0, and
//            d the texts it changed as runs: row, first column, texts joined by blanks
//   result   dv divisors, x the inverse, acc the accuracy check's lines, ok its verdict
//   ex       for orders up to 30, the working in fractions (html_view.cpp, exact_json)

#include <string_view>

namespace torvane::html_template {

inline constexpr std::string_view page_head = R"(<!doctype html>
<html lang="en"><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Torvane: the working of an inversion</title>
<style>
body{font:15px/1.45 system-ui,sans-serif;margin:1.2em 2em;color:#1d1d1f;background:#fcfcfa}
h1{font-size:1.3em;margin:.2em 0}
nav{margin:.8em 0;display:flex;flex-wrap:wrap;gap:.8em;align-items:center}
@media (max-width:480px){body{margin:.8em}#where{min-width:0}}
button{font:inherit;padding:.25em .9em;border:1px solid #888;border-radius:4px;background:#fff;cursor:pointer}
button:disabled{opacity:.4;cursor:default}
#where{min-width:9em;text-align:center;color:#555}
h2{font-size:1.1em;margin:.6em 0 .3em}
ul{margin:.2em 0 .8em;padding-left:1.4em;font-family:ui-monospace,monospace;font-size:.93em}
table{border-collapse:collapse;font-family:ui-monospace,monospace;font-size:.93em}
td,th{padding:.15em .55em;text-align:right;border:1px solid transparent}
th{color:#888;font-weight:normal}
td.bar,th.bar{border-left:2px solid #555}
td.changed{background:#dcebff}
td.zeroed{background:#ffe9c7;text-decoration:underline dotted #b46a00}
td.differs{color:#b3141b}
#fractions-switch{display:none}
td.pivot{outline:2px solid #d12f2f;outline-offset:-2px;font-weight:bold}
tr.repaired th{color:#a0127c;font-weight:bold}
.legend{color:#555;font-size:.88em}
.legend span{padding:0 .4em;margin-right:.6em}
.ok{color:#176b2c}.bad{color:#b3141b;font-weight:bold}
pre{margin:.3em 0}
</style></head>
<body>
<h1>Gauss&ndash;Jordan inversion in single precision, step by step</h1>
<nav><button id="prev">&larr; previous</button><span id="where"></span><button id="next">next &rarr;</button>
<label id="fractions-switch"><input type="checkbox" id="fractions"> exact fractions</label></nav>
<section id="view"></section>
<p class="legend"><span class="pivot" style="outline:2px solid #d12f2f">pivot</span>
<span style="background:#dcebff">changed by this pass</span>
<span style="background:#ffe9c7">set to 0 by the 1e-6 rule</span>
<span id="differs-legend" style="color:#b3141b;display:none">in fractions: the run's printed digits differ</span>
&larr; and &rarr; keys move between steps<span id="address-hint">; #step=K in the address opens step K</span>.</p>
<script>
const T = )";

inline constexpr std::string_view page_script = R"(;
const last = T.steps.length + 1;
const start = T.start.split(" ");
// Calls visit(place, text) for every entry step k changed.
function changes(k, visit) {
  const d = T.steps[k - 1].d, w = 2 * T.n;
  for (let i = 0; i < d.length; i += 3) {
    const texts = d[i + 2].split(" "), first = d[i] * w + d[i + 1];
    texts.forEach((text, j) => visit(first + j, text));
  }
}
// The matrices are built as they are first shown, each from the one before.
const mats = [start];
function matrixAt(k) {
  while (mats.length <= k) {
    const m = mats[mats.length - 1].slice();
    changes(mats.length, (place, text) => { m[place] = text; });
    mats.push(m);
  }
  return mats[k];
}
function esc(s) { return String(s).replace(/&/g, "&amp;").replace(/</g, "&lt;"); }
function table(rows, cols, texts, bar, cellClass, rowClass) {
  let h = "<tr><th></th>";
  for (let c = 0; c < cols; c++) h += "<th" + (c === bar ? " class=bar" : "") + ">" + (c + 1) + "</th>";
  h += "</tr>";
  for (let r = 0; r < rows; r++) {
    h += "<tr" + (rowClass(r) ? " class=" + rowClass(r) : "") + "><th>" + (r + 1) + "</th>";
    for (let c = 0; c < cols; c++) {
      const i = r * cols + c, cls = [cellClass(i)];
      if (c === bar) cls.push("bar");
      h += "<td class='" + cls.join(" ").trim() + "'>" + texts[i] + "</td>";
    }
    h += "</tr>";
  }
  return "<table>" + h + "</table>";
}
// The working in fractions: the same step, every entry exact, the run's float beside it in
// brackets where it is another number, red where its printed digits differ.
function exactStepView(k) {
  const n = T.n, w = 2 * n, E = T.ex, marks = {};
  if (k === 0)
    return "<h2>Start: [A | I], A as read, in fractions</h2>" + table(n, w, E.start.map(esc), n, () => "", () => "");
  const s = E.steps[k - 1];
  if (!s) return "<h2>" + esc(T.steps[k - 1].h) + "</h2><p>Exactly, an earlier pivot was 0: A is singular.</p>";
  for (const m of s.m) marks[m] = "differs";
  marks[T.steps[k - 1].p * w + T.steps[k - 1].p] = "pivot";
  return "<h2>" + esc(T.steps[k - 1].h) + ", in fractions</h2><ul>" +
    s.o.concat(s.f.map(l => "! " + l)).map(l => "<li>" + esc(l) + "</li>").join("") + "</ul>" +
    (s.b ? "<p>The pivot is 0 even so: exactly, A is singular and has no inverse.</p>"
         : table(n, w, s.t.map(esc), n, i => marks[i] || "", () => ""));
}
function exactResultView() {
  const n = T.n, E = T.ex, R = T.result;
  const marks = {};
  for (const m of E.xm) marks[m] = "differs";
  return "<h2>Normalisation in fractions, the exact inverse, and the digits X gets right</h2><ul>" +
    E.dv.map((v, r) => "<li>row " + (r + 1) + " &divide; " + esc(v) + "</li>").join("") + "</ul>" +
    (E.x.length ? "<h2>The exact inverse, X beside it</h2>" + table(n, n, E.x.map(esc), -1, i => marks[i] || "", () => "") +
      "<h2>Correct digits of each entry of X as printed</h2>" + table(n, n, E.dg, -1, () => "", () => "") : "") +
    "<pre class=" + (R.ok ? "ok" : "bad") + ">" + R.acc.map(esc).join("\n") + "</pre>";
}
function inFractions() { return Boolean(T.ex) && document.getElementById("fractions").checked; }
function stepView(k) {
  const n = T.n, w = 2 * n;
  if (inFractions()) return exactStepView(k);
  if (k === 0)
    return "<h2>Start: [A | I], A as read</h2>" + table(n, w, start, n, () => "", () => "");
  const s = T.steps[k - 1], marks = {};
  changes(k, place => { marks[place] = "changed"; });
  for (const z of s.z) marks[z] = "zeroed";
  marks[s.p * w + s.p] = "pivot";
  return "<h2>" + esc(s.h) + "</h2><ul>" + s.o.map(l => "<li>" + esc(l) + "</li>").join("") + "</ul>" +
    table(n, w, matrixAt(k), n, i => marks[i] || "", r => (s.r && r === s.p ? "repaired" : ""));
}
function resultView() {
  const n = T.n, R = T.result;
  if (inFractions()) return exactResultView();
  return "<h2>Normalisation, the inverse, and how far to trust it</h2><ul>" +
    R.dv.map((v, r) => "<li>row " + (r + 1) + " &divide; " + v + "</li>").join("") + "</ul>" +
    "<h2>Inverse X</h2>" + table(n, n, R.x, -1, () => "", () => "") +
    "<pre class=" + (R.ok ? "ok" : "bad") + ">" + R.acc.map(esc).join("\n") + "</pre>";
}
let current = -1;
// Shown in a frame (the web page's step view), the address the user sees is the other
// page's: the step is not kept in it.
const ownAddress = window === window.top;
function show(k, again) {
  k = Math.max(0, Math.min(last, k));
  if (k === current && !again) return;
  current = k;
  document.getElementById("view").innerHTML = k === last ? resultView() : stepView(k);
  document.getElementById("where").textContent =
    k === 0 ? "start" : k === last ? "result" : "step " + k + " of " + T.steps.length;
  document.getElementById("prev").disabled = k === 0;
  document.getElementById("next").disabled = k === last;
  if (ownAddress && location.hash !== "#step=" + k) history.replaceState(null, "", "#step=" + k);
}
function fromAddress() {
  const m = ownAddress && /^#step=(\d+)$/.exec(location.hash);
  return m ? Number(m[1]) : Math.min(1, last);
}
if (T.ex) {
  document.getElementById("fractions-switch").style.display = "inline";
  document.getElementById("differs-legend").style.display = "inline";
  document.getElementById("fractions").onchange = () => show(current, true);
}
if (!ownAddress) document.getElementById("address-hint").remove();
document.getElementById("prev").onclick = () => show(current - 1);
document.getElementById("next").onclick = () => show(current + 1);
document.addEventListener("keydown", e => {
  if (e.key === "ArrowLeft") show(current - 1);
  else if (e.key === "ArrowRight") show(current + 1);
});
window.addEventListener("hashchange", () => show(fromAddress()));
show(fromAddress());
document.body.dataset.ready = "yes";
</script></body></html>
)";

} // namespace torvane::html_template
