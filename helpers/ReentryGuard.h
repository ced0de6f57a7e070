#pragma once
// Marks code that yields as running, so that a second call arriving inside its
// yields can see it and stay out. The flag is cleared however the code is left.
class ReentryGuard {
 public:
  explicit ReentryGuard(bool& running) : running_(running) { running_ = true; }
  ~ReentryGuard() { running_ = false; }
  ReentryGuard(const ReentryGuard&) = delete;
  ReentryGuard& operator=(const ReentryGuard&) = delete;

 private:
  bool& running_;
};
