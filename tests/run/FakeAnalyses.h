// Stand-in analyses for the run tests: each logs its name and writes a small report and
// variance file beside data.FileName, as a real analysis does, unless told to fail.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "data/TextFile.h"
#include "run/RunAnalysis.h"

namespace vornax::test {

struct FakeAnalyses {
  std::vector<std::string> calls;
  // Runs inside the named analysis, after logging and before the files are written.
  std::function<void(Analysis, TDMVornax&, RunOptions&)> during;

  static const char* Name(Analysis a) {
    static const char* kNames[] = {"one",     "two",   "logistic",  "gumbel",
                                   "invgumbel", "fisk", "power",     "quadratic",
                                   "cubic",   "partial", "anova",   "curve-anova"};
    return kNames[static_cast<size_t>(a)];
  }

  AnalysisTable Table() {
    AnalysisTable t = DefaultAnalysisTable();
    for (size_t i = 0; i < static_cast<size_t>(Analysis::Count); ++i) {
      const Analysis a = static_cast<Analysis>(i);
      t[a].Entry = [this, a](TDMVornax& data, RunOptions& options, UserDialogs&) {
        calls.push_back(Name(a));
        if (during) during(a, data, options);
        if (options.AnalysisFailed || options.CurveAbort || options.IrregularX) return;
        if (a == Analysis::SegmentedAnova || a == Analysis::CurveAnova) return;
        TextFileWriter out(WithExtension(data.FileName, ".out"));
        // The first words of a real report: a later run knows the file for this program's.
        out.WriteLine(std::string(" Results of program Vornax: report of ") + Name(a));
        out.WriteLine(" second line");
        out.Commit();
        TextFileWriter var(WithExtension(data.FileName, ".var"), data.VarianceFiles());
        // The first lines of a variance file, which a later run knows for this program's.
        for (const char* line : {"    1", "    5", "  1.0E+000"}) var.WriteLine(line);
        var.Commit();
        data.FileName = PathText(WithExtension(data.FileName, ".var"));
      };
    }
    return t;
  }
};

}  // namespace vornax::test
