// Ids of the installer's messages in the strings package "Idioma", and the
// English texts for programs that run without the wizard's packages.
#pragma once

#include <optional>
#include <string>

inline constexpr const char* kIdioma = "Idioma";

enum TIdiomaMessage : int {
  msgCloseApplications = 0,
  msgGroupMissing = 2,
  msgFolderMissing = 3,
  msgSelectEnvironments = 4,
  msgFinished = 6,
  msgCanceled = 7,
  msgSetupUpdate = 8,
  msgNeedDelphi3 = 9,
  msgEraseProduct = 10,
  msgNeedDelphi4 = 11,
  msgNotSetupFile = 12,
  msgNeedNewerSetup = 13,
  msgSelectedProduct = 14,
  msgBaseVersionDiffers = 15,
  msgBaseMissing = 16,
  msgAlreadyInstalled = 17,
  msgInstalling = 18,
  msgUpdating = 20,
  msgEliminating = 21,
  msgNeedDelphi5 = 22,
  msgFolderReserved = 23,
  msgNeedDelphi6 = 24,
  msgNeedCBuilder3 = 25,
  msgNeedCBuilder4 = 26,
  msgNeedCBuilder5 = 27,
  msgNeedCBuilder6 = 28,
  msgAboutText = 29,
  // Refusals of damaged or hostile setup files.
  msgUnknownKind = 30,
  msgDamagedSetupFile = 31,
  msgUnsafeFileName = 32,
  msgUnsafeIdentifier = 33,
  msgReservedIdentifier = 34,
  msgDuplicateFileName = 35,
  msgPathTooLong = 36,
  msgEnvironmentFolderUnknown = 37,
  msgNotDeleted = 38,
  msgStoredCopyUnreadable = 39,
  msgAlreadyRunning = 40,
  msgNoSetupFileRecorded = 41,
  msgObsoleteNotDeleted = 42,
  msgTargetFolderMissing = 43,
  // Damaged records and interrupted runs.
  msgDamagedRecordItem = 44,
  msgDamagedRecordErased = 45,
  msgDamagedRecordNothingFound = 46,
  msgLeftInPlace = 47,
  msgMakerRecordDamaged = 48,
  msgRunUndone = 49,
  msgRunFinished = 50,
  // What an installation will do, and environments that must not be touched now.
  msgPlanHeading = 51,
  msgIdeRunning = 52,
  msgIdeNeverStarted = 53,
};

// The English text of an "Idioma" message, or nothing for an unknown id.
std::optional<std::string> EnglishInstallerMessage(int id);

// The English licence text shown before installing and saved as License.txt.
const std::string& EnglishLicenseText();

// Makes the message service answer "Idioma" with the English texts.
void UseEnglishInstallerMessages();
