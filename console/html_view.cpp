#include "html_view.hpp"

#include "accuracy_check.hpp"
#include "explain_view.hpp"
#include "format_value.hpp"

#include <string_view>

namespace torvane {
namespace {

std::string entry_text(float value)
{
    char buffer[max_value_chars + value_scratch_chars];
    return std::string(buffer, format_value(value, buffer));
}

// A JSON string that is also safe inside a <script> element.
std::string json_string(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else if (c == '<')
            out += "\\u003c";
        else if (static_cast<unsigned char>(c) < 0x20)
            out += ' ';
        else
            out += c;
    }
    return out + "\"";
}

template <class T, class Show> std::string json_array(const std::vector<T>& items, Show show)
{
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i)
        out += (i ? "," : "") + show(items[i]);
    return out + "]";
}

std::string json_texts(const std::vector<float>& values) { return json_array(values, [](float v) { return json_string(entry_text(v)); }); }

// The entries whose text the pass changed, as runs along a row: row, first column, and
// the texts of the run joined by blanks. The rows a pass changes change in long stretches,
// so this keeps a place per run instead of per entry.
std::string changed_runs(const pass_record& pass, std::uint32_t n)
{
    std::string out = "[";
    const std::size_t width = 2 * std::size_t{n};
    for (std::size_t r = 0; r < n; ++r) {
        for (std::size_t c = 0; c < width;) {
            std::string run;
            const std::size_t first = c;
            for (; c < width; ++c) {
                const std::string now = entry_text(pass.after[r * width + c]);
                if (now == entry_text(pass.before[r * width + c]))
                    break;
                run += (run.empty() ? "" : " ") + now;
            }
            if (run.empty())
                ++c;
            else
                out += (out.size() > 1 ? "," : "") + std::to_string(r) + "," + std::to_string(first) + "," + json_string(run);
        }
    }
    return out + "]";
}

// All the texts of a matrix, joined by blanks.
std::string joined_texts(const std::vector<float>& values)
{
    std::string out;
    for (const float v : values)
        out += (out.empty() ? "" : " ") + entry_text(v);
    return json_string(out);
}

std::string pass_heading(const pass_record& pass)
{
    return "Step " + std::to_string(pass.step) +
           (pass.phase == pass_phase::forward ? ": forward, pivot column " : ": backward, pivot row ") +
           std::to_string(pass.pivot + 1);
}

constexpr std::string_view page_head = R"(<!doctype html>
<html lang="en"><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Torvane: the working of an inversion</title>
<style>
body{font:15px/1.45 system-ui,sans-serif;margin:1.2em 2em;color:#1d1d1f;background:#fcfcfa}
h1{font-size:1.3em;margin:.2em 0}
nav{margin:.8em 0;display:flex;gap:.8em;align-items:center}
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
td.pivot{outline:2px solid #d12f2f;outline-offset:-2px;font-weight:bold}
tr.repaired th{color:#a0127c;font-weight:bold}
.legend{color:#555;font-size:.88em}
.legend span{padding:0 .4em;margin-right:.6em}
.ok{color:#176b2c}.bad{color:#b3141b;font-weight:bold}
pre{margin:.3em 0}
</style></head>
<body>
<h1>Gauss&ndash;Jordan inversion in single precision, step by step</h1>
<nav><button id="prev">&larr; previous</button><span id="where"></span><button id="next">next &rarr;</button></nav>
<section id="view"></section>
<p class="legend"><span class="pivot" style="outline:2px solid #d12f2f">pivot</span>
<span style="background:#dcebff">changed by this pass</span>
<span style="background:#ffe9c7">set to 0 by the 1e-6 rule</span>
&larr; and &rarr; keys move between steps; #step=K in the address opens step K.</p>
<script>
const T = )";

constexpr std::string_view page_script = R"(;
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
function stepView(k) {
  const n = T.n, w = 2 * n;
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
  return "<h2>Normalisation, the inverse, and how far to trust it</h2><ul>" +
    R.dv.map((v, r) => "<li>row " + (r + 1) + " &divide; " + v + "</li>").join("") + "</ul>" +
    "<h2>Inverse X</h2>" + table(n, n, R.x, -1, () => "", () => "") +
    "<pre class=" + (R.ok ? "ok" : "bad") + ">" + R.acc.map(esc).join("\n") + "</pre>";
}
let current = -1;
function show(k) {
  k = Math.max(0, Math.min(last, k));
  if (k === current) return;
  current = k;
  document.getElementById("view").innerHTML = k === last ? resultView() : stepView(k);
  document.getElementById("where").textContent =
    k === 0 ? "start" : k === last ? "result" : "step " + k + " of " + T.steps.length;
  document.getElementById("prev").disabled = k === 0;
  document.getElementById("next").disabled = k === last;
  if (location.hash !== "#step=" + k) history.replaceState(null, "", "#step=" + k);
}
function fromAddress() {
  const m = /^#step=(\d+)$/.exec(location.hash);
  return m ? Number(m[1]) : Math.min(1, last);
}
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

} // namespace

void html_page::add_pass(std::uint32_t n, const pass_record& pass)
{
    const explain_style plain{false, true};
    if (!steps_.empty())
        steps_ += ",\n";
    steps_ += "{\"h\":" + json_string(pass_heading(pass)) +
              ",\"o\":" + json_array(operation_lines(pass, n, plain), [](const std::string& l) { return json_string(l.substr(2)); }) +
              ",\"p\":" + std::to_string(pass.pivot) + ",\"r\":" + (pass.repair ? "true" : "false") +
              ",\"z\":" + json_array(pass.zeroed, [](std::size_t z) { return std::to_string(z); }) +
              ",\"d\":" + changed_runs(pass, n) + "}";
}

std::string html_page::finish(const elimination_record& record) const
{
    const explain_style plain{false, true};
    const accuracy check = check_accuracy(record.order(), record.matrix_a(), record.inverse());
    const std::string result = "{\"dv\":" + json_texts(record.divisors()) + ",\"x\":" + json_texts(record.inverse()) +
                               ",\"acc\":" + json_array(accuracy_lines(check, plain), json_string) +
                               ",\"ok\":" + (trustworthy(check) ? "true" : "false") + "}";
    return std::string(page_head) + "{\"n\":" + std::to_string(record.order()) + ",\n\"start\":" + joined_texts(record.loaded()) +
           ",\n\"steps\":[" + steps_ + "],\n\"result\":" + result + "}" + std::string(page_script);
}

} // namespace torvane
