// The hourglass cursor for a long operation, restored when the scope ends however it ends.
#pragma once

class TWaitCursor {
  public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor &) = delete;
    TWaitCursor &operator=(const TWaitCursor &) = delete;

  private:
    bool Active;
};
