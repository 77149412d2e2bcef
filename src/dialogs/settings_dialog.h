// The dialog of participants: which computers take part and how many humans share the mouse.
#pragma once

#include "framework/afxwin.h"

class SettingsDialog : public CDialog {
  public:
    SettingsDialog();
    ~SettingsDialog() override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    int humanSelection = 0;  // in: the radio button to check; out: the number of humans
    int computerCount = 0;   // out: the number of computers checked
    int computerFlags = 0;   // in and out: their PlayerCode bits
};
