#pragma once
// When the tool may start an uninstall run, close, or show the update notice.
//
// A run lasts from the start of its worker until the user has closed its
// outcome prompt. Ending the process meanwhile could fall between "sc stop"
// and "sc delete" and leave the service stopped but registered, with no
// outcome shown; so a close or an update notice that comes during a run is
// held and follows once the run is over. Only one way of ending runs at a
// time: while the feedback question, the update notice or a failed start-up
// check's prompt is up, further closes are refused. Portable: no Windows
// headers.

namespace fixpage {

enum class Request {
    Now,      // go ahead; the tool is ending from now on
    Held,     // a run is under way: it follows when the run is over
    Refused,  // the tool is already ending, or has not finished starting
};

// What the page does once a run is over.
enum class FollowUp {
    None,
    Close,         // run the closing sequence that was asked for during the run
    UpdateNotice,  // show the notice that came during the run, then end
};

class Session {
public:
    // The start-up checks have passed (or the page has none to run); until
    // then a close would ask its question of a library that is not there.
    void StartupDone();

    bool CanStartRun() const { return m_state == State::Idle; }
    void RunStarted();
    // The run's outcome prompt has been closed. A held update notice comes
    // before a held close: it ends the tool too, and tells why.
    FollowUp RunOver();

    Request OnCloseRequest();
    Request OnUpdateNotice();

private:
    enum class State { Starting, Idle, Running, CloseDue, Ending };
    Request AskToEnd(bool& held);

    State m_state = State::Starting;
    bool m_bCloseHeld = false;
    bool m_bNoticeHeld = false;
};

}  // namespace fixpage
