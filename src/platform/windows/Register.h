// Makes the windows layer's classes known to form streams.
#pragma once

void RegisterWindowsClasses();
