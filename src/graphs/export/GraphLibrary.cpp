// The entry of libvornax-graph.so: reads the graph data of a report, draws the graph asked for
// and writes it, reporting through the request's callbacks.
#include "graphs/export/GraphLibrary.h"

#include <string>

#include "data/DataSet.h"
#include "data/GraphDataReader.h"
#include "data/UserDialogs.h"
#include "graphs/drawing/GraphDrawing.h"

namespace vornax {
namespace {

// The reader's messages go to the batch's standard error, as the batch's own would.
class RequestDialogs : public UserDialogs {
 public:
  explicit RequestDialogs(const VornaxGraphRequest& r) : r_(r) {}
  void ShowMessage(const std::string& text) override { Say(r_, text); }
  bool AskYesNo(const std::string&) override { return true; }
  void ShowProgress() override {}
  void AddProgress(const std::string&) override {}
  void HideProgress() override {}
  void Pause(int) override {}
  static void Say(const VornaxGraphRequest& r, const std::string& text) {
    if (r.Message != nullptr) r.Message(r.Context, text.c_str());
  }

 private:
  const VornaxGraphRequest& r_;
};

GraphKind KindOf(const std::string& k) {
  return k == "residuals"  ? GraphKind::Residuals
         : k == "calc-obs" ? GraphKind::CalcObs
         : k == "y-z"      ? GraphKind::YZ
         : k == "x-z"      ? GraphKind::XZ
                           : GraphKind::YX;
}

}  // namespace
}  // namespace vornax

extern "C" __attribute__((visibility("default"))) int VornaxSaveGraph(
    const VornaxGraphRequest* request) {
  using namespace vornax;
  constexpr int kDone = 0, kRefused = 1, kUsage = 2;
  if (request == nullptr || request->Version != kGraphRequestVersion) return kUsage;
  const VornaxGraphRequest& r = *request;
  auto say = [&](const std::string& text) { RequestDialogs::Say(r, text); };
  TDMVornax reader;
  reader.FileName = r.OutputPath;
  RequestDialogs messages(r);
  if (!ReadGraphData(reader, messages)) return kRefused;
  GraphOptions options;
  const std::string kind = r.Kind != nullptr ? r.Kind : "y-x";
  options.Kind = KindOf(kind);
  if (options.Kind != GraphKind::YX && options.Kind != GraphKind::CalcObs &&
      !reader.Graph.TwoVariable()) {
    say("vornax-batch: --graph-kind " + kind + " needs a run on two variables");
    return kUsage;
  }
  options.Colour = r.Colour != 0;
  options.ShowBelt = r.ShowBelt != 0;
  options.ShowBlock = r.ShowBlock != 0;
  options.Size = QSize(r.Width, r.Height);
  std::string written, error;
  GraphPicture picture;
  if (!ExportGraph(reader.Graph, options, r.GraphPath, written, error, picture)) {
    if (!picture.Drawn && !picture.Message.empty()) {
      say(picture.Message);
      return kRefused;
    }
    say("vornax-batch: the graph \"" + written + "\" could not be written");
    say(error);
    return kUsage;
  }
  if (!picture.Message.empty()) say(picture.Message);
  if (r.Written != nullptr) r.Written(r.Context, written.c_str());
  return kDone;
}
