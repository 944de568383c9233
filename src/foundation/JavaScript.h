#pragma once

#include <string>

// Text put into a script the app runs in a page arrives there as written: a JavaScript string
// literal of any text, made with JSON's escapes, ASCII only (so no raw line or paragraph
// separator), and with no "</" that could end a script element. Invalid UTF-8 is replaced.
std::string javaScriptString(const std::string& text);
