#include "colors.h"

namespace halvex {

namespace {

constexpr int kCursesOf[16] = {0, 4, 2, 6, 1, 5, 3, 7, 8, 12, 10, 14, 9, 13, 11, 15};

}  // namespace

CursesColor ForegroundColor(int consoleColor, int terminalColors) {
  int c = consoleColor & 15;
  if (terminalColors >= 16) return {kCursesOf[c], false};
  return {kCursesOf[c & 7], c >= 8};
}

int BackgroundColor(int consoleColor, int terminalColors) {
  int c = consoleColor & 15;
  if (terminalColors >= 16) return kCursesOf[c];
  return kCursesOf[c == 8 ? 7 : c & 7];
}

}  // namespace halvex
