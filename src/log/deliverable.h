#ifndef TOOL_LOG_DELIVERABLE_H_
#define TOOL_LOG_DELIVERABLE_H_

namespace tool {

// The names that tell the two services apart, part of each service's
// product profile. The framework is compiled once and is given them by the
// process entry.
//
// Every pointer is a static, zero-terminated text; an object is constant
// data, safe to read from any thread at any time.
struct Deliverable {
  const char* name;          // "Skylet": the process name on stderr
  const char* startLogText;  // followed directly by kFrameworkVersion
  const char* stopLogText;
  const char* logFileName;       // in the log directory's "Tool" folder
  const char* applicationId;     // name of the log4cxx logger
  const char* watchdogFilePath;  // refreshed by whoever keeps us running
};

// Version of the framework, the same in both deliverables.
inline constexpr char kFrameworkVersion[] = "20201026";

}  // namespace tool

#endif  // TOOL_LOG_DELIVERABLE_H_
