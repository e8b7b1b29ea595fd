// The small window layer: a dialog object bound to its window, our own modal loop, and subclassed
// controls. One static procedure per kind routes every message to one virtual HandleMessage. The windows
// are Unicode ones, so that the templates' texts show as they are on any code page.
#pragma once

#include <windows.h>

namespace zemvar::ui {

class Dialog {
 public:
  explicit Dialog(int templateId) : templateId_(templateId) {}
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  HWND hwnd() const { return hwnd_; }

  // Creates the dialog from its template in this module, without showing more than the template says.
  bool CreateModeless(HWND owner);
  // Runs messages (with the dialog keyboard) until EndModalLoop; returns its result.
  INT_PTR RunModalLoop();
  void EndModalLoop(INT_PTR result);
  // Creates, shows and runs the dialog with its owner disabled, then destroys it.
  INT_PTR DoModal(HWND owner);
  void Destroy();

 protected:
  // One switch per dialog. Return TRUE when handled (with DWLP_MSGRESULT set where it matters).
  // The default routes WM_INITDIALOG to OnInitDialog and WM_COMMAND to OnCommand.
  virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnInitDialog() { return TRUE; }
  // The default answers IDOK with OnOK and IDCANCEL (Escape, close box) with OnCancel.
  virtual bool OnCommand(WORD id, WORD code, HWND control);
  virtual void OnOK() { EndModalLoop(IDOK); }
  virtual void OnCancel() { EndModalLoop(IDCANCEL); }

  // Appends a separator and an item to the window's system menu, when it has one.
  void AppendSystemMenuItem(UINT id, const wchar_t* text);

 private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  int templateId_;
  HWND hwnd_ = nullptr;
  bool inModalLoop_ = false;
  INT_PTR modalResult_ = 0;
};

// A control of a dialog taken over by an object: its messages reach HandleMessage first.
class SubclassedControl {
 public:
  SubclassedControl() = default;
  virtual ~SubclassedControl();
  SubclassedControl(const SubclassedControl&) = delete;
  SubclassedControl& operator=(const SubclassedControl&) = delete;

  // Takes over the control, then calls OnAttached. False when the window is not there.
  bool Attach(HWND control);
  void Detach();
  HWND hwnd() const { return hwnd_; }

 protected:
  virtual void OnAttached() {}
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
  }
  // The control's own processing.
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  WNDPROC original_ = nullptr;
};

}  // namespace zemvar::ui
