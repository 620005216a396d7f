// Loading libvornax-graph.so with dlopen and handing it the graph request.
#include "batch/BatchGraph.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "graphs/export/GraphLibrary.h"

namespace vornax::batch {

bool ParseGraphSizeOption(const std::string& text, int& width, int& height) {
  int w = 0, h = 0;
  char x = 0, rest = 0;
  if (std::sscanf(text.c_str(), "%d%c%d%c", &w, &x, &h, &rest) != 3 || (x != 'x' && x != 'X')) {
    return false;
  }
  if (w < 16 || h < 16 || w > 20000 || h > 20000) return false;
  width = w;
  height = h;
  return true;
}

std::string GraphLibraryPath() {
  namespace fs = std::filesystem;
  std::error_code ec;
  // In the build tree the library is made beside the program.
  const fs::path program = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const fs::path beside = program.parent_path() / kGraphLibraryName;
    if (fs::exists(beside, ec)) return beside.string();
  }
  // Installed, it lives in lib/vornax/ beside bin/, which the program's RUNPATH
  // ($ORIGIN/../lib/vornax) names; the tests of the build tree carry the build folder in theirs.
  // The folders are taken from the program's own search list rather than left to dlopen, which
  // searches the RUNPATH of whatever object calls it (under the sanitizers that is their
  // runtime, which has none). Nothing of the build tree is compiled into the program.
  if (void* self = dlopen(nullptr, RTLD_NOW)) {
    Dl_serinfo size{};
    if (dlinfo(self, RTLD_DI_SERINFOSIZE, &size) == 0 && size.dls_size >= sizeof(Dl_serinfo)) {
      std::vector<unsigned char> buffer(size.dls_size);
      auto* info = reinterpret_cast<Dl_serinfo*>(buffer.data());
      *info = size;
      if (dlinfo(self, RTLD_DI_SERINFO, info) == 0) {
        for (unsigned i = 0; i < info->dls_cnt; ++i) {
          const char* folder = info->dls_serpath[i].dls_name;
          if (folder == nullptr || *folder == '\0') continue;
          const fs::path candidate = fs::path(folder) / kGraphLibraryName;
          if (fs::exists(candidate, ec)) {
            dlclose(self);
            return candidate.string();
          }
        }
      }
    }
    dlclose(self);
  }
  return kGraphLibraryName;
}

namespace {

struct Streams {
  std::ostream& out;
  std::ostream& err;
};

}  // namespace

int SaveBatchGraph(const BatchGraphChoices& c, std::ostream& out, std::ostream& err) {
  const std::string path = GraphLibraryPath();
  // The library stays loaded for the rest of the process: Qt keeps threads and handlers that
  // must not outlive their code.
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (library == nullptr) {
    const char* reason = dlerror();
    err << "vornax-batch: the graph library \"" << path << "\" could not be loaded\n"
        << (reason != nullptr ? reason : "") << '\n';
    return 2;
  }
  auto save = reinterpret_cast<VornaxSaveGraphFunction>(dlsym(library, kGraphLibraryEntry));
  if (save == nullptr) {
    err << "vornax-batch: \"" << path << "\" is not the graph library of this program\n";
    return 2;
  }
  Streams streams{out, err};
  VornaxGraphRequest request{};
  request.Version = kGraphRequestVersion;
  request.OutputPath = c.OutputPath.c_str();
  request.GraphPath = c.GraphPath.c_str();
  request.Kind = c.Kind.c_str();
  request.Colour = c.Colour ? 1 : 0;
  request.ShowBelt = c.ShowBelt ? 1 : 0;
  request.ShowBlock = c.ShowBlock ? 1 : 0;
  request.Width = c.Width;
  request.Height = c.Height;
  request.Context = &streams;
  request.Message = [](void* context, const char* line) {
    static_cast<Streams*>(context)->err << line << '\n';
  };
  request.Written = [](void* context, const char* written) {
    static_cast<Streams*>(context)->out << written << '\n';
  };
  return save(&request);
}

}  // namespace vornax::batch
