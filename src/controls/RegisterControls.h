// Makes the skinned controls known to the form reader; programs call it
// once at start (it registers the skin and the configuration first).
#pragma once

void RegisterControlClasses();
