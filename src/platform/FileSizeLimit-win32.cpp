#include "platform/FileSizeLimit.h"

namespace platform {

// Windows limits no process's file sizes: the limit is never in force.
FileSizeLimit::FileSizeLimit(int64_t) {}

FileSizeLimit::~FileSizeLimit() = default;

// Nor has it a device on which every write fails.
const char* fullDevicePath() { return nullptr; }

}  // namespace platform
