#include "fixpage/FixPageSession.h"

namespace fixpage {

void Session::StartupDone() {
    if (m_state == State::Starting) m_state = State::Idle;
}

void Session::RunStarted() {
    if (m_state == State::Idle) m_state = State::Running;
}

FollowUp Session::RunOver() {
    if (m_state != State::Running) return FollowUp::None;
    if (m_bNoticeHeld) {
        m_bNoticeHeld = m_bCloseHeld = false;
        m_state = State::Ending;
        return FollowUp::UpdateNotice;
    }
    if (m_bCloseHeld) {
        // No new run in the moment before the close comes round again.
        m_bCloseHeld = false;
        m_state = State::CloseDue;
        return FollowUp::Close;
    }
    m_state = State::Idle;
    return FollowUp::None;
}

Request Session::OnCloseRequest() { return AskToEnd(m_bCloseHeld); }

Request Session::OnUpdateNotice() { return AskToEnd(m_bNoticeHeld); }

Request Session::AskToEnd(bool& held) {
    switch (m_state) {
    case State::Idle:
    case State::CloseDue:
        m_state = State::Ending;
        return Request::Now;
    case State::Running:
        held = true;
        return Request::Held;
    default:
        return Request::Refused;
    }
}

}  // namespace fixpage
