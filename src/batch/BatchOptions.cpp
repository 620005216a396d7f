// vornax-batch's options and its help text.
#include "batch/BatchOptions.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "batch/BatchGraph.h"
#include "data/Version.h"

namespace vornax::batch {
namespace {

const char* const kFooter = R"(
The input is an input file (.inp) as the program writes it, or a table of columns
Y, X[, Z] separated by commas, semicolons, tabs or blanks, with an optional header row;
--y, --x, --z and --weight choose other columns by header name or number. Weight factors
come only from --weight, --weights or a last column headed weight.
Quoted fields may hold separators, quotes and line breaks; UTF-8 and UTF-16 are read,
other 8-bit text as Windows-1252 (Latin-1).
A leading column of row names (an empty header over 1, 2, 3 ... or over text) is left
aside. Empty cells and NA, NaN, "." and "-" are missing values: their rows are left out
and listed, or refused with --strict.
A table is also written as NAME.inp, so that the run can be repeated; an existing
NAME.inp that this program wrote from the same table is replaced, any other that holds
other data is left alone and the run stops, unless --overwrite.
The report NAME.out and the ANOVA table NAME.var are written beside the input, or into
--output-dir (together with NAME.inp). The input file given is never rewritten.
The path of the report is printed on standard output, followed by a summary of the
result (unless --quiet); messages and progress lines go to standard error.

The break test shuffles the residuals of the fit without a break (the straight line;
with two variables the plane of X and Z) over the data sets, --permutations times, runs
the same analysis on each shuffle and counts how often its breaks explain as large a
share of what the fit without a break leaves unexplained as the break found:
p = (1 + count) / (permutations + 1). It accounts for the search over 100 breakpoints
and several types, which the type tests of the report do not. A breakpoint fixed with
--breakpoint was not searched: the test is not run, and the F test of the ANOVA table
judges the break. With --stop-early H the shuffles stop once H of them, in their order,
reached the observed share, and p = H / (shuffles made): a clearly non-significant break
is judged after a few dozen shuffles, a significant one still takes them all.

Examples:
  vornax-batch examples/01-yield-watertable.inp
  vornax-batch field.csv --confidence 95 --exclude 6
  vornax-batch trial.inp --use z --prefer 3 --output-dir results
  vornax-batch growth.tsv --curve quadratic --no-transform
  vornax-batch plots.csv --y "Yield, t/ha" --x depth --weight 5 --strict
  vornax-batch field.csv --json field.json --permutations 4999 --seed 7
  vornax-batch trial.inp --graph trial.png --graph-kind residuals --black-white
  vornax-batch salinity.csv --breakpoint 4.5 --prefer 4
  vornax-batch yield.inp --search-range 40 90
  vornax-batch wells.csv --by well --y level --x rain --results wells-results.csv

A file is replaced or removed only when it shows it is this program's (a report, ANOVA
table or results file by its first lines, a graph by its maker's name or mark), or
with --overwrite; otherwise the run stops before any work, naming it. The input, NAME.inp, the reports and the files of --json, --graph, --results
and --json-lines must all differ. A run refused for its options, or stopped for want of
memory, leaves the folder as it was. Every file is written whole, through a temporary
file and a rename.

Exit status: 0 the report was written; 1 the analysis found no result (its message is
printed), or there was not enough memory; 2 bad usage, unreadable input, data unfit for
the analysis (fewer than three data sets, no variation, ...), or a file that could not
be written.)";

// A number as people write it: an optional sign, digits with at most one decimal point, an
// optional exponent. The conversions behind the options would also take "nan", "inf",
// hexadecimal ("0x5", "0x1p2") and an empty text (as 0), and the run would then go on with a
// value nobody typed.
bool IsDecimalNumber(const std::string& text) {
  size_t i = 0;
  const size_t n = text.size();
  auto digits = [&] {
    const size_t from = i;
    while (i < n && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    return i - from;
  };
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  size_t mantissa = digits();
  if (i < n && text[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    if (digits() == 0) return false;
  }
  return i == n;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Options that take a number with decimals.
CLI::Validator DecimalNumber() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        if (!IsDecimalNumber(text)) return Quoted(text) + " is not a number";
        if (!std::isfinite(std::strtod(text.c_str(), nullptr))) {
          return Quoted(text) + " is not a finite number";
        }
        return {};
      },
      "");
}

// Options that take a count or a choice by number: digits only, after an optional sign.
CLI::Validator WholeNumber() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        if (!IsDecimalNumber(text)) return Quoted(text) + " is not a number";
        const size_t from = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
        for (size_t i = from; i < text.size(); ++i) {
          if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
            return Quoted(text) + " is not a whole number";
          }
        }
        return {};
      },
      "");
}

}  // namespace

void DefineOptions(CLI::App& app, Choices& c) {
  app.description(
      "vornax-batch: segmented linear regression of Y upon X (and Z) without a window.\n"
      "Finds the breakpoint and the best of the function types 0 to 6 (or a partial\n"
      "regression, or a curved function), writes the report and its ANOVA table.");
  app.name("vornax-batch");
  app.footer(kFooter);
  app.set_version_flag("--version", VersionLine("vornax-batch"),
                       "Print the program's version (and the commit it was built from) and exit");
  app.add_option("INPUT", c.input, "Input file (.inp) or table (.csv, .tsv, .txt, ...)")
      ->required();
  app.add_option("--confidence", c.confidence,
                 "Minimum confidence in %: 90 (default), 95 or 98")
      ->check(WholeNumber())
      ->check(CLI::IsMember({90, 95, 98}));
  app.add_option("--use", c.use,
                 "With two independent variables in the data: both (default), x (the first "
                 "only) or z (the second only)")
      ->check(CLI::IsMember({"both", "x", "z"}));
  app.add_option("--prefer", c.prefer,
                 "best (default: the best of the segmented types 1 to 6), a preferred type 1 to "
                 "6, or partial (the longest range of no effect). With two variables used "
                 "together it is the preference for X")
      ->check(CLI::IsMember({"best", "1", "2", "3", "4", "5", "6", "partial"}));
  app.add_option("--prefer-z", c.preferZ,
                 "Preferred type 1 to 6 for Z, or best (default); two variables only")
      ->check(CLI::IsMember({"best", "1", "2", "3", "4", "5", "6"}));
  app.add_option("--exclude", c.exclude, "Exclude one segmented type 2 to 6 (for X)")
      ->check(WholeNumber())
      ->check(CLI::Range(2, 6));
  app.add_option("--exclude-z", c.excludeZ, "Exclude one segmented type 2 to 6 for Z")
      ->check(WholeNumber())
      ->check(CLI::Range(2, 6));
  app.add_option("--curve", c.curve,
                 "Fit a curved function instead: power, s-curve (the best of four S-shaped "
                 "curves), quadratic or cubic; one variable analysed only")
      ->check(CLI::IsMember({"power", "s-curve", "quadratic", "cubic"}));
  app.add_option("--breakpoints", c.breakpoints,
                 "Fit a continuous broken line with 2 or 3 breakpoints, found by an exact "
                 "search, or auto: as many (0 to 3) as the F test and the permutation test "
                 "find; one variable analysed only")
      ->check(CLI::IsMember({"2", "3", "auto"}));
  app.add_flag("--no-transform", c.noTransform,
               "Answer No when asked whether the X-data may be transformed to generalize an "
               "s-curve, quadratic or cubic fit (the default answer is Yes)");
  app.add_flag("--weights", c.weights,
               "The last column of a table (the third or the fourth) holds weight factors; "
               "found by itself only when its header is weight, weights or weight factor");
  app.add_option("--y", c.yColumn,
                 "The column of Y in a table: its header name or its number (1 is the first); "
                 "with --x, instead of the order of the columns")
      ->type_name("COL");
  app.add_option("--x", c.xColumn, "The column of X in a table, by header name or number")
      ->type_name("COL");
  app.add_option("--z", c.zColumn,
                 "The column of Z (a second independent variable), by header name or number")
      ->type_name("COL");
  app.add_option("--weight", c.weightColumn,
                 "The column of the weight factors, by header name or number")
      ->type_name("COL");
  app.add_option("--header", c.header,
                 "yes: the table's first row holds the names of its columns; no: it is a data "
                 "row (a row of years such as 2019,2020 is read as names otherwise only when "
                 "asked). Default: guessed from the cells")
      ->check(CLI::IsMember({"yes", "no"}));
  app.add_flag("--strict", c.strict,
               "Refuse a table with a missing value (an empty cell, NA, NaN, . or -) in a "
               "column used, instead of leaving its row out");
  app.add_flag("--overwrite", c.overwrite,
               "Replace files this program did not write: a NAME.inp that holds other data than "
               "the table, a report, a --json, --graph, --results or --json-lines file (its own "
               "are replaced without it)");
  app.add_option("--output-dir,-o", c.outputDir,
                 "Folder for NAME.inp, NAME.out and NAME.var (made when missing); default: "
                 "beside the input");
  app.add_flag("--quiet,-q", c.quiet, "Errors only: no progress lines, notes or summary");
  app.add_option("--permutations", c.permutations,
                 "Shuffles of the break test (default 999; 0 switches the test off)")
      ->check(WholeNumber())
      ->check(CLI::Range(0, 1000000));
  app.add_option("--stop-early", c.stopEarly,
                 "Stop the break test's shuffles once H of them reached the observed value, "
                 "p = H / shuffles made (sequential stopping; default 0: make them all)")
      ->type_name("H")
      ->check(WholeNumber())
      ->check(CLI::Range(0, 1000000));
  app.add_option("--seed", c.seed,
                 "Seed of the break test's shuffles, a whole number from 0 to " +
                     std::to_string(UINT64_MAX) + " (default 1): the same seed gives the same p")
      ->type_name("S");
  app.add_option("--graph", c.graph,
                 "Also draw the graph of the report and save it, as its name's extension says: "
                 ".svg, .pdf, .png or .bmp (any other extension is refused)");
  app.add_option("--graph-size", c.graphSize,
                 "Size of a PNG or BMP graph in pixels, WxH (default 623x425); the graph keeps "
                 "its proportions")
      ->check([](const std::string& value) {
        int w = 0, h = 0;
        return ParseGraphSizeOption(value, w, h)
                   ? std::string()
                   : "give the size as WxH, each 16 to 20000 pixels: " + value;
      });
  app.add_option("--graph-kind", c.graphKind,
                 "The graph: y-x (default), residuals, calc-obs, y-z or x-z (the last three "
                 "and residuals for two-variable runs)")
      ->check(CLI::IsMember({"y-x", "residuals", "calc-obs", "y-z", "x-z"}));
  app.add_flag("--black-white", c.blackWhite, "Draw the graph in black and white");
  app.add_flag("--no-belt", c.noBelt, "Leave the confidence belt out of the graph");
  app.add_flag("--no-block", c.noBlock,
               "Leave the confidence interval of the breakpoint out of the graph");
  app.add_option("--breakpoint", c.breakpointValue,
                 "Fix the breakpoint at this value instead of searching for it: the preferred "
                 "type (--prefer), or the best type that holds there, is fitted at this "
                 "breakpoint alone. Segmented regression of one variable only")
      ->check(DecimalNumber())
      ->type_name("VALUE");
  app.add_option("--search-range", c.searchRange,
                 "Search the breakpoint only among the candidates from LO to HI (both "
                 "included). Segmented regression of one variable only")
      ->check(DecimalNumber())
      ->expected(2)
      ->type_name("LO HI");
  app.add_option("--json", c.json,
                 "Also write every result of the run (options, type, breakpoint, lines, "
                 "coefficients of explanation, ANOVA rows, break test, data table) to this "
                 "JSON file");
  app.add_option("--by", c.by,
                 "Analyse a table group by group: one run for every value of this column (by "
                 "header name or number; text or numbers), in the order the values first appear")
      ->type_name("COL");
  app.add_option("--results", c.results,
                 "With --by: the table of results, one row per group (CSV)");
  app.add_option("--json-lines", c.jsonLines,
                 "With --by: every group's results as JSON (the layout of --json), one line per "
                 "group");
  app.add_flag("--reports", c.reports,
               "With --by: also write each group's report and ANOVA table as NAME-GROUP.out and "
               "NAME-GROUP.var");

}

}  // namespace vornax::batch
