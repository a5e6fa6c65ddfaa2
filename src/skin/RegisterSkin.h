// Joins the skin to the configuration: forms paint their background sets
// with the skin's painter. Programs call it once at start, after the
// configuration's classes are registered.
#pragma once

void RegisterSkinClasses();
