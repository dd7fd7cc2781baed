// A dialog object built from a dialog template, modal or modeless; messages reach OnMessage.
#pragma once

#include <windows.h>

namespace ui {

class Dialog {
public:
    explicit Dialog(int templateId) : templateId_(templateId) {}
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    virtual ~Dialog();

    HWND hwnd() const { return hwnd_; }

    // Runs the dialog modally; its result (IDOK, IDCANCEL), or -1 when it could not be created.
    INT_PTR RunModal(HWND owner);
    // Creates the dialog modeless; false when it could not be created.
    bool CreateModeless(HWND owner);

protected:
    // The dialog procedure's answer: TRUE when handled (with SetWindowLongPtr(DWLP_MSGRESULT)
    // where a result matters), FALSE for the default dialog handling. The default dispatches
    // WM_INITDIALOG, IDOK and IDCANCEL to the hooks below.
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndModal(IDOK); }
    virtual void OnCancel() { EndModal(IDCANCEL); }

    void EndModal(INT_PTR result) { ::EndDialog(hwnd_, result); }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    void SetItemText(int id, const wchar_t* text) const { SetDlgItemTextW(hwnd_, id, text); }

private:
    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    int templateId_;
    HWND hwnd_ = nullptr;
};

}  // namespace ui
