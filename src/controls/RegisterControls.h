// Registers every control class of the library (and the skin's) for
// streaming.
#pragma once

void RegisterControlClasses();
