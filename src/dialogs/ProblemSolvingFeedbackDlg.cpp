#include "dialogs/ProblemSolvingFeedbackDlg.h"

#include <ctime>
#include <string>

#include "dialogs/ContentLayout.h"
#include "dialogs/FeedbackAnswer.h"
#include "integration/FeedbackDll.h"
#include "res/resource.h"

namespace {

RECT ToRect(const layout::Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

}  // namespace

// ---------------------------------------------------------------------------
// Content

CProblemSolvingFeedbackChildDlg::CProblemSolvingFeedbackChildDlg()
    : CShadowContentDlg(layout::TraitsOf(layout::PairKind::Feedback)),
      m_rcLayout{0, 0, 0, 0},
      m_pFeedbackDll(nullptr),
      m_nClientKind(0) {}

CProblemSolvingFeedbackChildDlg::~CProblemSolvingFeedbackChildDlg() = default;

void CProblemSolvingFeedbackChildDlg::DoDataExchange(CDataExchange* pDX) {
    CShadowContentDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FB_CLOSE, m_btnClose);
    DDX_Control(pDX, IDC_FB_SOLVED, m_btnSolved);
    DDX_Control(pDX, IDC_FB_UNSOLVED, m_btnNotSolved);
    DDX_Control(pDX, IDC_FB_OTHER, m_btnOther);
}

void CProblemSolvingFeedbackChildDlg::LayoutControls(BOOL bFirst) {
    GetClientRect(&m_rcLayout);
    const RECT& rc = m_rcLayout;
    const SIZE pic = dlg::PictureSize(m_pBkImage);
    const layout::FeedbackLayout l =
        layout::LayoutFeedback(layout::Rect{rc.left, rc.top, rc.right, rc.bottom}, pic.cx, pic.cy, m_fScale);

    if (bFirst) SetWindowTextW(feedback::kQuestion);
    auto place = [&](CImageButton& button, const layout::Placement& p, int firstImage) {
        if (bFirst) {
            // Named by the words of its picture, while it is still hidden.
            feedback::Answer answer{};
            if (feedback::AnswerForButton(button.GetDlgCtrlID(), &answer)) button.SetWindowTextW(answer.name);
            button.SetBkImage(m_pBkImage);
            button.SetBkImageRect(ToRect(p.source));
            button.SetHitMargins(RECT{0, 0, 0, 0});
            button.SetImages(firstImage, firstImage + 1, firstImage + 2, firstImage + 3);
        }
        button.MoveWindow(ToRect(p.dest), TRUE);
    };
    place(m_btnClose, l.close, IDB_FB_CLOSE_NORMAL);
    m_btnClose.ShowWindow(SW_HIDE);
    place(m_btnSolved, l.solved, IDB_FB_SOLVED_NORMAL);
    place(m_btnNotSolved, l.notSolved, IDB_FB_UNSOLVED_NORMAL);
    place(m_btnOther, l.other, IDB_FB_OTHER_NORMAL);
}

RECT CProblemSolvingFeedbackChildDlg::BackgroundRect() const { return m_rcLayout; }

BOOL CProblemSolvingFeedbackChildDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case IDC_FB_SOLVED: Answer(IDC_FB_SOLVED, m_btnSolved); return TRUE;
        case IDC_FB_UNSOLVED: Answer(IDC_FB_UNSOLVED, m_btnNotSolved); return TRUE;
        case IDC_FB_OTHER: Answer(IDC_FB_OTHER, m_btnOther); return TRUE;
        case IDC_FB_CLOSE: Answer(IDC_FB_CLOSE, m_btnClose); return TRUE;
        default: break;
        }
    }
    return CShadowContentDlg::OnCommand(wParam, lParam);
}

void CProblemSolvingFeedbackChildDlg::Answer(int controlId, CImageButton& button) {
    feedback::Answer answer{};
    if (!feedback::AnswerForButton(controlId, &answer)) return;
    // A click that did not come from the mouse over the button (the keyboard
    // on a focused button) is not an answer.
    if (answer.needsCursorInside && !button.IsCursorInside()) return;

    if (m_pFeedbackDll != nullptr) {
        const std::wstring timeText = feedback::TimeText(static_cast<std::int64_t>(_time64(nullptr)));
        const std::wstring clientText = feedback::ClientText(m_nClientKind);
        m_pFeedbackDll->CallCustomerFeedbackEx(kFeedbackToolId, kFeedbackToolVersion, answer.kind,
                                               timeText.c_str(), clientText.c_str());
        if (answer.asksQuestion) m_pFeedbackDll->CallFeedbackQuestion(kFeedbackToolId, kFeedbackToolVersion);
    }
    if (CWnd* pParent = GetParent()) pParent->SendMessageW(WM_CLOSE, 0, 0);
}

void CProblemSolvingFeedbackChildDlg::OnContentDestroy() {
    m_btnClose.ReleaseImages();
    m_btnSolved.ReleaseImages();
    m_btnNotSolved.ReleaseImages();
    m_btnOther.ReleaseImages();
}

// ---------------------------------------------------------------------------
// Parent

CProblemSolvingFeedbackDlg::CProblemSolvingFeedbackDlg(CWnd* pParent)
    : CShadowParentDlg(layout::TraitsOf(layout::PairKind::Feedback), pParent),
      m_pFeedbackDll(nullptr),
      m_nClientKind(0) {}

void CProblemSolvingFeedbackDlg::InitBeforeLayer() { SetWindowTextW(L"Tessaro Veride Hubrelay 服务卸载工具"); }

CShadowContentDlg* CProblemSolvingFeedbackDlg::NewContent() {
    auto* pContent = new CProblemSolvingFeedbackChildDlg;
    pContent->SetFeedbackLibrary(m_pFeedbackDll);
    pContent->SetClientKind(m_nClientKind);
    return pContent;
}
