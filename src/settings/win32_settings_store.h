// The settings' seams over the private profile API and the current user's Run key.
#pragma once

#include <windows.h>

#include "settings/settings_rules.h"

namespace zemvar {

class Win32ProfileFile : public ProfileFile {
 public:
  bool Read(const std::string& file, const char* section, const char* key, std::string* value) override;
  bool Write(const std::string& file, const char* section, const char* key, const char* value) override;
};

// HKEY_CURRENT_USER\SOFTWARE\Microsoft\Windows\CurrentVersion\Run, and Task Manager's switches for it.
class Win32RunKey : public RunKey {
 public:
  ~Win32RunKey() override { Close(); }
  bool Open() override;
  bool Has(const std::string& name) override;
  bool Set(const std::string& name, const std::string& data) override;
  bool Remove(const std::string& name) override;
  void Close() override;
  // HKEY_CURRENT_USER\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run
  bool Approval(const std::string& name, std::string* bytes) override;
  bool SetApproval(const std::string& name, const std::string& bytes) override;

 private:
  bool Done(LONG result);
  HKEY key_ = nullptr;
};

}  // namespace zemvar
