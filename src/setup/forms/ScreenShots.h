// Pictures of the wizard for review: every page in every language, the
// folder search dialog and the about box, painted as the user sees them.
#pragma once

#include <string>

class TFrSetup;

// Writes LANG-pageN.bmp, LANG-search.bmp and LANG-about.bmp (LANG: en, es,
// fr, it, de) into folder and prints each path. Returns the exit status.
int WriteScreenShots(TFrSetup& form, const std::string& folder);
