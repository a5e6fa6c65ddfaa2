#pragma once

// Registers the skin's classes and every control class for the form reader.
void RegisterControlClasses();
