// The trace: the file GLIMMERDOME_TRACE names, one JSON line an event, its
// time in milliseconds since the file was opened.
#include <cerrno>
#include <cstdio>
#include <string_view>

#include "platform/gtk/gtk_backend.h"

namespace gd {

void GtkPlatform::TraceFile::Write(std::string_view event, std::string_view fieldsJson) {
  std::fprintf(file, "{\"t\": %lld, \"ev\": \"%.*s\"%s%.*s}\n",
               static_cast<long long>((g_get_monotonic_time() - since) / 1000), static_cast<int>(event.size()),
               event.data(), fieldsJson.empty() ? "" : ", ", static_cast<int>(fieldsJson.size()), fieldsJson.data());
  std::fflush(file);
}

void GtkPlatform::TraceFileDeleter::operator()(TraceFile* trace) const {
  if (trace->file) std::fclose(trace->file);
  delete trace;
}

void GtkPlatform::OpenTrace() {
  const char* path = g_getenv("GLIMMERDOME_TRACE");
  if (!path || !*path) return;
  std::FILE* file = std::fopen(path, "w");
  if (!file) {
    g_printerr("glimmerdome: cannot write the trace to %s: %s\n", path, g_strerror(errno));
    return;
  }
  trace_.reset(new TraceFile);
  trace_->file = file;
  trace_->since = g_get_monotonic_time();
}

TraceSink* GtkPlatform::Tracer() { return trace_.get(); }

}  // namespace gd
