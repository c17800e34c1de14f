// The faces the program's windows ask for, mapped to the installed CJK faces.
#pragma once

// Maps the template fonts' faces (宋体, 黑体, Gulim and the single blank) to installed CJK
// faces, so that every window that asks for one gets the same face. Safe to call more than
// once.
void InstallFontSubstitutions();
