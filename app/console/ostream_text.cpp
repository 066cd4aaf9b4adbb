// ConsoleToolkit on C++ streams (tests, benchmarks): in a file of its own, so a
// program that does not write to streams links none of iostreams.
#include <cerrno>
#include <memory>
#include <ostream>

#include "app/console/console_toolkit.h"
#include "app/console/text_stream.h"

namespace {

class OstreamText : public TextStream {
  public:
    explicit OstreamText(std::ostream& stream) : stream_(stream) {}

    int writeLine(std::string_view text) override {
        errno = 0;
        stream_.write(text.data(), static_cast<std::streamsize>(text.size()));
        stream_ << std::endl;
        const int error = errno;
        if (stream_) return 0;
        stream_.clear();  // the next line is tried again
        return error != 0 ? error : EIO;
    }

  private:
    std::ostream& stream_;
};

}  // namespace

ConsoleToolkit::ConsoleToolkit(std::string commandLine, bool argumentsGiven,
                               std::string programPath, std::ostream& out, std::ostream& err)
    : ConsoleToolkit(std::move(commandLine), argumentsGiven, std::move(programPath)) {
    ownedOut_ = std::make_unique<OstreamText>(out);
    ownedErr_ = std::make_unique<OstreamText>(err);
    out_ = ownedOut_.get();
    err_ = ownedErr_.get();
}
