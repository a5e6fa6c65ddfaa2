#include "platform/windows/Register.h"

#include "platform/windows/Dialogs.h"
#include "platform/windows/FileCtrl.h"
#include "platform/windows/Forms.h"
#include "platform/windows/Menus.h"
#include "platform/windows/StdCtrls.h"
#include "platform/windows/Timers.h"

void RegisterWindowsClasses() {
  RegisterClasses({&TForm::StaticClass(), &TEdit::StaticClass(), &TMemo::StaticClass(), &TButton::StaticClass(),
                   &TListBox::StaticClass(), &TComboBox::StaticClass(), &TDirectoryListBox::StaticClass(),
                   &TDriveComboBox::StaticClass(), &TOpenDialog::StaticClass(), &TTimer::StaticClass()});
  RegisterMenuClasses();
}
