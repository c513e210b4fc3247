#include "support/time_scale.h"

#include "common/pause.h"
#include "pty_adapter.h"

ScopedTimeScale::ScopedTimeScale(double factor)
    : m_program(vorkel::TimeScale()), m_sim(vorkelsim::SimTimeScale()) {
    vorkel::SetTimeScale(factor);
    vorkelsim::SetSimTimeScale(factor);
}

ScopedTimeScale::~ScopedTimeScale() {
    vorkel::SetTimeScale(m_program);
    vorkelsim::SetSimTimeScale(m_sim);
}
