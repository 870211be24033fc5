#pragma once
// Starts the toolkit for a test and ends it again: heap_start, windows_start, controls_init, and
// in reverse controls_end, windows_end, heap_end.

class ToolkitSession {
  public:
    ToolkitSession();
    ~ToolkitSession();
    ToolkitSession(const ToolkitSession&) = delete;
    ToolkitSession& operator=(const ToolkitSession&) = delete;

    // False when the private heap could not be made.
    bool started() const { return started_; }

  private:
    bool started_;
};
