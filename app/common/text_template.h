// Texts with numbers and names in them, built from a template whose %1, %2, ... take them, so
// that a window can find the template again and show its translation. Chinese is the source
// language: the template as written is what files keep.
#pragma once

#include <initializer_list>
#include <string>

// Built without Qt for the command-line tools: lupdate still finds the marked texts.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

// The template with %1, %2, ... replaced by `args` in turn (UTF-8). A "%" not followed by a
// digit of an argument stays as it is.
std::string FillText(const char* textTemplate, std::initializer_list<std::string> args);
