#pragma once

#include <memory>
#include <string>

namespace platform {

enum class StandardStream { output, error };

// A standard stream sent into a file for a while (the tests read what a piece
// of code prints). Everything written on the stream goes to the file: through
// the C and C++ streams and through the system's descriptor or handle of it.
// Bytes reach the file as written: no line ends are translated.
class StreamRedirect {
 public:
  // Flushes the stream and points it at the file `path` (created, or
  // truncated when it exists). Throws base::IOError when the file cannot be
  // created or the stream cannot be re-pointed.
  StreamRedirect(StandardStream stream, const std::string& path);
  StreamRedirect(const StreamRedirect&) = delete;
  StreamRedirect& operator=(const StreamRedirect&) = delete;
  // Restores the stream.
  ~StreamRedirect();

  // Flushes the stream into the file and points it back where it went
  // before; the file is closed. Only the first call does anything.
  void restore();

 private:
  struct Saved;
  StandardStream stream_;
  std::unique_ptr<Saved> saved_;
};

}  // namespace platform
