#include "server/html.h"

namespace {

// The whole sheet: the page frame and bar, the filters, the figure cards, the panels with their
// charts and tables, and the log-in form.
constexpr std::string_view kDashboardStyle = R"css(:root {
  --ink: #1d2433; --muted: #5b6476; --line: #e3e7ee; --bg: #f4f6f9; --card: #fff;
  --accent: #2f6fde; --good: #1f9d6b; --bad: #c8453b;
}
* { box-sizing: border-box; }
body { margin: 0; color: var(--ink); background: var(--bg);
  font: 14px/1.45 system-ui, -apple-system, "Segoe UI", Roboto, "DejaVu Sans", sans-serif; }
.bar { display: flex; align-items: center; gap: 28px; padding: 0 28px; height: 54px;
  background: #16213a; color: #fff; }
.brand { font-weight: 650; letter-spacing: .2px; }
.bar nav { display: flex; gap: 20px; height: 100%; }
.bar nav a { color: #c3cde0; text-decoration: none; display: flex; align-items: center;
  border-bottom: 2px solid transparent; }
.bar nav a:hover { color: #fff; }
.bar nav a.current { color: #fff; border-bottom-color: #6ea0ff; }
.logout { margin-left: auto; }
.logout button { background: transparent; color: #c3cde0; border: 1px solid #3a4868;
  border-radius: 6px; padding: 5px 12px; font: inherit; cursor: pointer; }
main { max-width: 1200px; margin: 0 auto; padding: 26px 28px 40px; }
h1 { font-size: 21px; margin: 0 0 2px; }
.sub { color: var(--muted); margin: 0 0 18px; }
.filters { display: flex; flex-wrap: wrap; gap: 12px; align-items: flex-end; margin-bottom: 18px;
  background: var(--card); border: 1px solid var(--line); border-radius: 10px; padding: 14px 16px; }
.filters label { display: flex; flex-direction: column; gap: 4px; font-size: 12px;
  color: var(--muted); }
.filters input, .filters select { font: inherit; color: var(--ink); background: #fff;
  padding: 6px 8px; border: 1px solid #cdd5e1; border-radius: 6px; min-width: 140px; }
.filters .actions { display: flex; gap: 8px; margin-left: auto; }
.button { font: inherit; background: var(--accent); color: #fff; border: 1px solid var(--accent);
  border-radius: 6px; padding: 6px 14px; cursor: pointer; text-decoration: none;
  display: inline-block; }
.button.secondary { background: #fff; color: var(--accent); }
.cards { display: grid; grid-template-columns: repeat(5, 1fr); gap: 12px; margin-bottom: 18px; }
.card { background: var(--card); border: 1px solid var(--line); border-radius: 10px;
  padding: 13px 16px; }
.card .label { color: var(--muted); font-size: 12px; text-transform: uppercase;
  letter-spacing: .4px; }
.card .value { font-size: 27px; font-weight: 650; margin-top: 2px;
  font-variant-numeric: tabular-nums; }
.card .rate { color: var(--muted); font-size: 12px; }
.card .rate b { color: var(--ink); font-weight: 600; }
.grid2 { display: grid; grid-template-columns: 5fr 7fr; gap: 18px; }
.panel { background: var(--card); border: 1px solid var(--line); border-radius: 10px;
  padding: 16px 18px; margin-bottom: 18px; overflow-x: auto; }
.panel h2 { font-size: 15px; margin: 0 0 12px; }
.panel p.note { color: var(--muted); font-size: 12px; margin: 10px 0 0; }
svg { display: block; max-width: 100%; height: auto; }
svg text { font: 11px system-ui, "DejaVu Sans", sans-serif; fill: #5b6476; }
svg text.strong { fill: #1d2433; font-weight: 600; }
.legend { display: flex; flex-wrap: wrap; gap: 16px; font-size: 12px; color: var(--muted);
  margin-top: 8px; }
.legend span::before { content: ""; display: inline-block; width: 10px; height: 10px;
  border-radius: 2px; margin-right: 6px; vertical-align: -1px; background: currentColor; }
.s0 { color: #9aa3b5; } .s1 { color: #6ea0ff; } .s2 { color: #2f6fde; }
.s3 { color: #1f9d6b; } .s4 { color: #c8453b; }
table { width: 100%; border-collapse: collapse; font-variant-numeric: tabular-nums; }
th, td { padding: 6px 10px; border-bottom: 1px solid var(--line); text-align: right;
  white-space: nowrap; }
th:first-child, td:first-child { text-align: left; }
thead th { color: var(--muted); font-weight: 600; font-size: 12px; white-space: normal;
  vertical-align: bottom; }
table.compact { width: auto; min-width: 60%; }
tfoot td { font-weight: 650; border-top: 2px solid #cdd5e1; border-bottom: 0; }
td.text, th.text { text-align: left; }
td.steps { text-align: left; white-space: normal; min-width: 260px; }
.empty { color: var(--muted); padding: 28px; text-align: center; }
.badge { display: inline-block; padding: 1px 8px; border-radius: 10px; background: #eef2f8;
  color: #38455e; font-size: 12px; margin: 1px 2px 1px 0; }
.badge.good { background: #e2f4eb; color: #17724f; }
.badge.bad { background: #fbe9e8; color: #a3362d; }
a { color: var(--accent); }
code { font-size: 12px; }
.login { max-width: 360px; margin: 14vh auto 0; background: var(--card);
  border: 1px solid var(--line); border-radius: 12px; padding: 28px; }
.login h1 { margin-bottom: 4px; }
.login label { display: flex; flex-direction: column; gap: 6px; margin: 18px 0 16px;
  color: var(--muted); font-size: 12px; }
.login input { font: inherit; padding: 8px 10px; border: 1px solid #cdd5e1; border-radius: 6px; }
.login .error { color: var(--bad); margin: 12px 0 0; }
.login .button { width: 100%; padding: 8px; }
)css";

}  // namespace

std::string_view DashboardStyle() {
    return kDashboardStyle;
}
