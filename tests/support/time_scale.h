#pragma once

// While one of these lives, the program's fixed pauses, connection time-out
// and exchange bounds and the simulator's delays all run at one factor, so
// events keep their order and the real code runs, only sooner. Rows whose
// point is the real duration run without one.
class ScopedTimeScale {
  public:
    explicit ScopedTimeScale(double factor);
    ~ScopedTimeScale();
    ScopedTimeScale(const ScopedTimeScale&) = delete;
    ScopedTimeScale& operator=(const ScopedTimeScale&) = delete;

  private:
    double m_program;
    double m_sim;
};

// The factor the slow tests run at.
inline constexpr double QuickTime = 0.25;
