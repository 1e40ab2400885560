#pragma once
// The progress port: the engine's only way to show how far a job has come.
#include <cstdint>
#include <string>

namespace sorvek {

class Progress {
  public:
    virtual ~Progress() = default;
    // Makes the progress label visible; called before the first report of a job.
    virtual void showLabel() = 0;
    // Sets the bar's maximum (unless `maximum` is -1, which keeps the current one) and value.
    // A maximum below 1 or a value above the maximum is refused: the display stays as it was.
    virtual void showProgress(std::int32_t value, std::int32_t maximum) = 0;
    // Reports the bytes read so far of an input whose length is not known in advance (a pipe,
    // standard input, a device). Such a job reports only this after the label is shown, and
    // ends with showProgress(total, total), the display at its end. Showing nothing is a fair
    // answer for a display that has no way to tell a count.
    virtual void showBytesDone(std::int64_t bytes) { (void)bytes; }
};

// Progress that nobody watches: what the libraries hand a whole conversion.
class SilentProgress final : public Progress {
  public:
    void showLabel() override {}
    void showProgress(std::int32_t, std::int32_t) override {}
};

// The state of a progress bar with the refusal rules above; the desktop and console programs
// keep one each and draw from it.
class ProgressBarModel {
  public:
    // Applies one report; false when the bar refused it and nothing changed.
    bool apply(std::int32_t value, std::int32_t maximum);
    std::int32_t value() const { return value_; }
    std::int32_t maximum() const { return maximum_; }
    // Whole percent, fraction cut off.
    int percent() const;
    // The label text: "(37/100%)".
    std::string label() const;

  private:
    std::int32_t value_ = 0;
    std::int32_t maximum_ = 100;
};

// A count of bytes as people read it: "512 B", "12.3 KiB", "45.6 MiB", "7.8 GiB" (one decimal,
// units of 1024).
std::string byteCountText(std::int64_t bytes);

}  // namespace sorvek
