// Registers every control class of the library (and the skin's first).
#pragma once

void RegisterControlClasses();
