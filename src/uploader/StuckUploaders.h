#pragma once

#include <string>

#include "platform/ProcessTable.h"
#include "uploader/Output.h"

namespace uploader {

// Ends earlier uploaders that hang: every other process whose executable
// has the same file name as the running one.
class StuckUploaders {
 public:
  enum class Result {
    kNotExamined,      // the process list could not be read
    kDone,             // examined; every match (possibly none) terminated
    kOpenFailed,       // a match could not be opened (exit code -106)
    kTerminateFailed,  // a match could not be terminated (exit code -105)
  };

  static Result terminate(platform::ProcessTable& processes, Output& out);

  // The file name of an executable path, without the " (deleted)" that the
  // system shows for a program file replaced while it runs.
  static std::string programName(const std::string& executable);
};

}  // namespace uploader
