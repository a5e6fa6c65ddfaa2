#include "setup/InstallerMessages.h"

#include <map>

#include "packages/MessageService.h"

std::optional<std::string> EnglishInstallerMessage(int id) {
  static const std::map<int, std::string> texts = {
      {0, "Warning: Please, close all the applications you are executing in your system."},
      {2, "The group should be specified"},
      {3, "The folder should be specified."},
      {4, "Select the Delphi versions for the product you want installing."},
      {6, "The process has finished successfully."},
      {7, "The process has been canceled."},
      {8, "Warning: It will be updated the setup version %d.%d.%d for %d.%d.%d."},
      {9, "Before of adding the product you should install Delphi 3."},
      {10, "Warning: The '%s'. product will be erased."},
      {11, "Before of adding the product you should install Delphi 4."},
      {12, "The file '%s' doesn't have the setup format."},
      {13, "To be able to install the selected file you should update the setup program to the version "
           "'%d.%d.%d' or superior."},
      {14, "You have selected the product  '%s'."},
      {15, "The base file version installed doesn't correspond with the version of this update. The selected "
           "file updates to the version : '%d.%d.%d'."},
      {16, "You haven't instaled the base file for the selected update."},
      {17, "The version of the product  '%s' is already installed. If you continue it will be replaced."},
      {18, "Installing: %s."},
      {20, "Updating: %s."},
      {21, "Eliminating: %s."},
      {22, "Before of adding the product you should install Delphi 5."},
      {23, "Folder name reserved."},
      {24, "Before of adding the product you should install Delphi 6."},
      {25, "Before of adding the product you should install C++Builder3."},
      {26, "Before of adding the product you should install C++Builder4."},
      {27, "Before of adding the product you should install C++Builder5."},
      {28, "Before of adding the product you should install C++Builder6."},
      {29, "Installation program for the products of the Tessaro company\r\n(Files *.stp)"},
      {30, "The file '%s' holds the unknown product kind %d."},
      {31, "The file '%s' is damaged: %s."},
      {32, "The file '%s' holds the unsafe file name '%s'."},
      {33, "The file '%s' holds the product name or qualifier '%s', which cannot name a folder or a registry key."},
      {34, "The file '%s' holds the product identifier '%s', which is reserved for the setup program."},
      {35, "The file '%s' holds the file name '%s' twice, or as a file and as a folder."},
      {36, "The file '%s' would install '%s', a path longer than the system allows."},
      {37, "The folder of %s is not known (no \"RootDir\")."},
      {38, "These files or folders could not be deleted, so the product stays recorded and can be erased again: %s"},
      {39, "The stored setup file '%s' could not be read (%s). Its record was erased, but the files it installed could not be removed."},
      {40, "Another copy of the setup program is running."},
      {41, "The record of '%s' names no setup file."},
      {42, "These obsolete files could not be deleted: %s"},
      {43, "The file '%s' installs into the folder '%s', which does not exist."},
      {44, "%s [damaged record]"},
      {45, "The record of '%s' was damaged (%s). Only what lay in its own folders was removed: %s\r\nIts record was erased."},
      {46, "The record of '%s' was damaged (%s). Nothing of it was found in its own folders. Its record was erased."},
      {47, "These files or folders could not be deleted and stay: %s"},
      {48, "The record of the setup program is damaged (%s): erase the setup program and install it again."},
      {49, "The setup program had been stopped in the middle of a run; what that run had changed was undone."},
      {50, "The setup program had been stopped at the end of a run; that run was completed."},
      {51, "What the installation will do:"},
      {52, "%s is running (%s): close it, then go on. A running environment does not see the changes and may write over them."},
      {53, "%s has never been started by this user: start it once and close it, then go on. Its packages would otherwise not be registered."},
  };
  auto it = texts.find(id);
  if (it == texts.end()) return std::nullopt;
  return it->second;
}

const std::string& EnglishLicenseText() {
  static const std::string text =
      "KyControls Component Library - Licence Agreement\r\n"
      "\r\n"
      "1. Grant. Tessaro grants you a non-exclusive, non-transferable licence to install the "
      "library on the computers of one developer and to use it to build applications.\r\n"
      "2. Distribution. You may distribute, without royalties, applications compiled with the "
      "library. You may not distribute the library's source code, units, packages or help files, "
      "nor use them to build a competing component library or development tool.\r\n"
      "3. Ownership. The library and its documentation remain the property of Tessaro and are "
      "protected by copyright law and international treaties.\r\n"
      "4. No warranty. The library is provided \"as is\", without warranty of any kind, express or "
      "implied, including fitness for a particular purpose.\r\n"
      "5. Limitation of liability. In no event shall Tessaro be liable for any damages arising "
      "from the use of, or the inability to use, the library, even if advised of their "
      "possibility.\r\n"
      "6. Termination. This licence ends automatically if you break any of its terms; you must "
      "then remove every copy of the library.\r\n"
      "\r\n"
      "By accepting you declare that you have read this agreement and agree to its terms.";
  return text;
}

void UseEnglishInstallerMessages() {
  SetMessageLookup([](const std::string& package, int id) -> std::optional<std::string> {
    if (!SameText(package, kIdioma)) return std::nullopt;
    return EnglishInstallerMessage(id);
  });
}
