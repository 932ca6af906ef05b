// Starts the viewer inside the benchmark process exactly as tkviewer's main does, on a
// given product folder, and keeps the time of each start-up step.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TLXAData;

namespace ui {
class TfrmLXAMain;
}

namespace tkbench {

// Nanoseconds of the monotonic clock (comparable between processes on this machine).
std::int64_t NowNs();

struct TStartMarks {
    std::int64_t dataReady = 0;    // data module initialised (library, catalogue, book)
    std::int64_t windowShown = 0;  // show() returned
    std::int64_t firstPaint = 0;   // the window's first paint pass finished
};

class TViewerSession {
  public:
    // productDir holds tkviewer's folders (data/, imgs/, lexqapi.so). Requires a
    // QApplication. Destroys the windows before the data module, as the program does.
    explicit TViewerSession(const std::string &productDir);
    ~TViewerSession();

    // Runs the data module's start-up and shows the main window; false (with a message
    // on stderr) when the viewer would not have started.
    bool Start();
    // Shows the window and waits for its first paint to finish.
    bool ShowAndWaitForPaint(int timeoutMs);

    ui::TfrmLXAMain *Window() const;
    TLXAData &Data() { return *m_data; }
    const TStartMarks &Marks() const { return m_marks; }
    // Dialogs are answered at once and counted: a measured run must not show any (a
    // modal box would stop the clock on the user, and none appears on a sound product).
    int DialogCount() const { return m_dialogs; }

  private:
    std::unique_ptr<TLXAData> m_data;
    TStartMarks m_marks;
    int m_dialogs = 0;
};

}  // namespace tkbench
