#include "terminal.h"

#include <curses.h>
#include <term.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <utility>

#include "colors.h"
#include "mouse_decoder.h"
#include "subprocess.h"

namespace halvex {

namespace {

// The key code curses gives for the start of an SGR mouse report.
constexpr int kMouseReportKey = KEY_MAX + 1;

constexpr char kMouseOn[] = "\033[?1000h\033[?1003h\033[?1006h";
constexpr char kMouseOff[] = "\033[?1006l\033[?1003l\033[?1000l";

int g_outputFd = -1;  // the terminal, for the signal handlers
volatile std::sig_atomic_t g_open = 0;
// Set by the stop handler once the process is continued: the screen is
// drawn again from the main flow.
volatile std::sig_atomic_t g_continued = 0;

// What the signal handlers need, prepared when the terminal is opened, so
// that they do nothing but write(2), tcgetattr/tcsetattr, kill and raise:
// the terminal modes from before, and the fixed sequences that give the
// terminal back (mouse reports off, keypad and attributes reset, cursor
// shown, the normal screen) and take it again.
termios g_startModes{};
bool g_haveStartModes = false;
char g_resetText[256];
std::size_t g_resetSize = 0;
char g_resumeText[256];
std::size_t g_resumeSize = 0;

void WriteAll(int fd, const char* text, std::size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, text, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    text += n;
    size -= static_cast<std::size_t>(n);
  }
}

void WriteText(const std::string& text) { WriteAll(g_outputFd, text.data(), text.size()); }

// The normal way out (at exit), from the main flow.
void RestoreTerminal() {
  if (!g_open) return;
  g_open = 0;
  WriteAll(g_outputFd, kMouseOff, sizeof kMouseOff - 1);
  endwin();
}

// Appends a terminfo string capability, when the terminal has it.
void AddCapability(char* buffer, std::size_t& size, std::size_t capacity, const char* name) {
  const char* text = tigetstr(name);
  if (text == nullptr || text == reinterpret_cast<char*>(-1)) return;
  std::size_t length = std::strlen(text);
  if (size + length > capacity) return;
  std::memcpy(buffer + size, text, length);
  size += length;
}

void AddText(char* buffer, std::size_t& size, std::size_t capacity, const char* text) {
  std::size_t length = std::strlen(text);
  if (size + length > capacity) return;
  std::memcpy(buffer + size, text, length);
  size += length;
}

void PrepareSignalTexts() {
  g_resetSize = 0;
  AddText(g_resetText, g_resetSize, sizeof g_resetText, kMouseOff);
  for (const char* name : {"rmkx", "sgr0", "cnorm", "rmcup"})
    AddCapability(g_resetText, g_resetSize, sizeof g_resetText, name);
  g_resumeSize = 0;
  for (const char* name : {"smcup", "smkx", "cvvis"})
    AddCapability(g_resumeText, g_resumeSize, sizeof g_resumeText, name);
  AddText(g_resumeText, g_resumeSize, sizeof g_resumeText, kMouseOn);
}

void SetHandler(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no restart: a wait for input returns, and sees g_continued
  sigaction(signal, &action, nullptr);
}

// Gives the terminal back as it was before halvex; only safe calls.
void ResetFromHandler() {
  WriteAll(g_outputFd, g_resetText, g_resetSize);
  if (g_haveStartModes) tcsetattr(STDIN_FILENO, TCSANOW, &g_startModes);
}

constexpr int kFatalSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void OnFatalSignal(int signal) {
  if (g_open) {
    g_open = 0;
    ResetFromHandler();
  }
  SetHandler(signal, SIG_DFL);
  raise(signal);  // delivered when the handler returns
}

// Ctrl-Z: give the terminal back while stopped, take it again on return;
// the main flow draws the screen again.
void OnStop(int) {
  int savedErrno = errno;
  if (g_open) {
    termios programModes{};
    bool havePrograms = tcgetattr(STDIN_FILENO, &programModes) == 0;
    ResetFromHandler();
    kill(getpid(), SIGSTOP);
    // Continued.
    if (havePrograms) tcsetattr(STDIN_FILENO, TCSANOW, &programModes);
    WriteAll(g_outputFd, g_resumeText, g_resumeSize);
    g_continued = 1;
  } else {
    kill(getpid(), SIGSTOP);
  }
  errno = savedErrno;
}

// Terminals that take the xterm title sequence.
bool KnowsTitleSequence() {
  const char* term = std::getenv("TERM");
  if (term == nullptr) return false;
  static constexpr const char* kFamilies[] = {"xterm", "tmux", "screen", "rxvt", "alacritty",
                                              "foot",  "kitty", "vte",   "konsole", "gnome",
                                              "putty", "st-", "wezterm"};
  for (const char* family : kFamilies) {
    if (std::strncmp(term, family, std::strlen(family)) == 0) return true;
  }
  return false;
}

int ScanCodeOf(int key) {
  if (key >= KEY_F(1) && key <= KEY_F(10)) return 59 + (key - KEY_F(1));
  switch (key) {
    case KEY_F(11): return 133;
    case KEY_F(12): return 134;
    case KEY_HOME: return 71;
    case KEY_UP: return 72;
    case KEY_PPAGE: return 73;
    case KEY_LEFT: return 75;
    case KEY_RIGHT: return 77;
    case KEY_END: return 79;
    case KEY_DOWN: return 80;
    case KEY_NPAGE: return 81;
    case KEY_IC: return 82;
    case KEY_DC: return 83;
    default: return 0;
  }
}

class CursesTerminal : public Terminal {
 public:
  CursesTerminal(SCREEN* screen, bool titled) : screen_(screen), titled_(titled) {
    colors_ = has_colors() ? (start_color(), COLORS) : 0;
    pad_ = newpad(kScreenRows, kScreenColumns);
    keypad(pad_, TRUE);
    define_key("\033[<", kMouseReportKey);
    curs_set(2);
    WriteText(kMouseOn);
    if (TooSmall()) {
      // xterm and its kin resize their window on request; others ignore it.
      WriteText("\033[8;" + std::to_string(kScreenRows) + ";" + std::to_string(kScreenColumns) + "t");
    }
    ClearAll(0);
  }
  ~CursesTerminal() override { Close(); }

  void Put(int row, int column, unsigned char c, int foreground, int background) override {
    if (c >= 127) c = '?';
    mvwaddch(pad_, row - 1, column - 1, static_cast<chtype>(c) | Attributes(foreground, background));
  }

  void ScrollUp(int background) override {
    scrollok(pad_, TRUE);
    wscrl(pad_, 1);
    scrollok(pad_, FALSE);
    chtype blank = ' ' | Attributes(7, background);
    for (int col = 0; col < kScreenColumns; ++col) mvwaddch(pad_, kScreenRows - 1, col, blank);
  }

  void ClearAll(int background) override {
    chtype blank = ' ' | Attributes(7, background);
    for (int row = 0; row < kScreenRows; ++row) {
      for (int col = 0; col < kScreenColumns; ++col) mvwaddch(pad_, row, col, blank);
    }
  }

  void PlaceCursor(int row, int column) override {
    cursorRow_ = row - 1;
    cursorColumn_ = column - 1;
  }

  void Present() override {
    if (TooSmall()) {
      werase(stdscr);
      mvwaddstr(stdscr, 0, 0, "This window is too small for halvex.");
      mvwaddstr(stdscr, 1, 0, ("halvex needs at least " + std::to_string(kScreenColumns) +
                               " columns by " + std::to_string(kScreenRows) + " rows; this one is " +
                               std::to_string(COLS) + " by " + std::to_string(LINES) + ".")
                                  .c_str());
      mvwaddstr(stdscr, 2, 0, "Please make the window larger.");
      wrefresh(stdscr);
      small_ = true;
      return;
    }
    if (small_) {
      werase(stdscr);
      wnoutrefresh(stdscr);
      touchwin(pad_);
      small_ = false;
    }
    wmove(pad_, cursorRow_, cursorColumn_);
    pnoutrefresh(pad_, 0, 0, 0, 0, kScreenRows - 1, kScreenColumns - 1);
    doupdate();
  }

  std::optional<InputEvent> NextEvent() override {
    int failures = 0;
    for (;;) {
      bool failed = false;
      if (auto e = ReadEvent(-1, failed)) return e;
      if (!failed) continue;
      if (++failures >= 3) return std::nullopt;  // the terminal has gone
    }
  }

  std::optional<InputEvent> PollEvent(int timeoutMs) override {
    bool failed = false;
    return ReadEvent(timeoutMs, failed);
  }

  void PassKeysToChild(bool on) override {
    if (on) {
      raw();
      SetHandler(SIGINT, SIG_IGN);
      SetHandler(SIGQUIT, SIG_IGN);
    } else {
      noraw();
      cbreak();
      SetHandler(SIGINT, OnFatalSignal);
      SetHandler(SIGQUIT, OnFatalSignal);
    }
  }

  void Suspend() override {
    WriteText(kMouseOff);
    def_prog_mode();
    endwin();
  }

  void Resume() override {
    reset_prog_mode();
    WriteText(kMouseOn);
    clearok(curscr, TRUE);
    Present();
  }

  // Gives the terminal to a program (a pager) until it ends, the manager
  // deaf to the keyboard's interrupts meanwhile, then takes it back as it
  // was.  False when the program could not be started.
  bool RunOnTerminal(const std::vector<std::string>& argv) {
    Suspend();
    SetHandler(SIGINT, SIG_IGN);
    SetHandler(SIGQUIT, SIG_IGN);
    int status = RunShared(argv);
    SetHandler(SIGINT, OnFatalSignal);
    SetHandler(SIGQUIT, OnFatalSignal);
    Resume();
    return status != -1;
  }

  void ShowFile(const std::string& file) override {
    std::vector<std::string> argv;
    const char* pager = std::getenv("PAGER");
    std::istringstream words(pager != nullptr && *pager ? pager : "less");
    for (std::string word; words >> word;) argv.push_back(word);
    if (argv.empty()) return;
    argv.push_back(file);
    RunOnTerminal(argv);
  }

  void Close() override {
    if (screen_ == nullptr) return;
    if (pad_ != nullptr) delwin(pad_);
    pad_ = nullptr;
    if (titled_) WriteText("\033[23;0t");  // the title the terminal had before
    RestoreTerminal();
    delscreen(screen_);
    screen_ = nullptr;
  }

 private:
  bool TooSmall() const { return LINES < kScreenRows || COLS < kScreenColumns; }

  chtype Attributes(int foreground, int background) {
    if (colors_ < 8) return foreground >= 8 ? A_BOLD : A_NORMAL;
    CursesColor fg = ForegroundColor(foreground, colors_);
    int bg = BackgroundColor(background, colors_);
    auto key = std::make_pair(fg.color, bg);
    auto it = pairs_.find(key);
    int pair = 0;
    if (it != pairs_.end()) {
      pair = it->second;
    } else if (static_cast<int>(pairs_.size()) + 1 < COLOR_PAIRS) {
      pair = static_cast<int>(pairs_.size()) + 1;
      init_pair(static_cast<short>(pair), static_cast<short>(fg.color), static_cast<short>(bg));
      pairs_[key] = pair;
    }
    return COLOR_PAIR(pair) | (fg.bold ? A_BOLD : A_NORMAL);
  }

  // One key or mouse event within timeoutMs (-1: no limit).  `failed` is
  // set when the terminal gave an error rather than a time-out.
  std::optional<InputEvent> ReadEvent(int timeoutMs, bool& failed) {
    if (g_continued) {
      g_continued = 0;
      clearok(curscr, TRUE);
      Present();
    }
    wtimeout(pad_, timeoutMs);
    errno = 0;
    int key = wgetch(pad_);
    wtimeout(pad_, -1);
    if (key == ERR) {
      failed = timeoutMs < 0 && errno != EINTR;
      return std::nullopt;
    }
    if (key == KEY_RESIZE) {
      Present();
      return std::nullopt;
    }
    if (key == kMouseReportKey) return ReadMouseReport();
    if (key == KEY_ENTER || key == '\r' || key == '\n') return InputEvent::Key(13);
    if (key == KEY_BACKSPACE || key == 127 || key == 8) return InputEvent::Key(8);
    if (key >= 1 && key <= 255) return InputEvent::Key(key);
    if (int scan = ScanCodeOf(key)) return InputEvent::Scan(scan);
    return std::nullopt;
  }

  // The rest of a report after "ESC [ <": digits and semicolons, then M or m.
  std::optional<InputEvent> ReadMouseReport() {
    std::string report;
    wtimeout(pad_, 100);
    while (report.size() < 20) {
      int c = wgetch(pad_);
      if (c == ERR || c > 255) break;
      report += static_cast<char>(c);
      if (c == 'M' || c == 'm') break;
    }
    wtimeout(pad_, -1);
    return mouse_.Decode(report, MouseDecoder::Clock::now());
  }

  SCREEN* screen_;
  bool titled_;
  WINDOW* pad_ = nullptr;
  int colors_ = 0;
  std::map<std::pair<int, int>, int> pairs_;
  int cursorRow_ = 0;
  int cursorColumn_ = 0;
  bool small_ = false;
  MouseDecoder mouse_;
};

}  // namespace

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }

std::unique_ptr<Terminal> OpenTerminal(const std::string& title, std::string& problem) {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
    problem = "standard input and output must be a terminal (halvex is a full-screen program).";
    return nullptr;
  }
  std::setlocale(LC_ALL, "");
  g_haveStartModes = tcgetattr(STDIN_FILENO, &g_startModes) == 0;
  SCREEN* screen = newterm(nullptr, stdout, stdin);
  if (screen == nullptr) {
    const char* term = std::getenv("TERM");
    problem = std::string("halvex cannot use the terminal type \"") + (term ? term : "") + "\".";
    return nullptr;
  }
  set_term(screen);
  set_escdelay(25);  // a lone Esc arrives at once, not after a second
  cbreak();
  noecho();
  nonl();
  g_outputFd = STDOUT_FILENO;
  g_open = 1;
  PrepareSignalTexts();
  std::atexit(RestoreTerminal);
  for (int signal : kFatalSignals) SetHandler(signal, OnFatalSignal);
  SetHandler(SIGTSTP, OnStop);

  bool titled = KnowsTitleSequence();
  if (titled) {
    // Keep the terminal's own title to give back at the end, then set ours.
    WriteText("\033[22;0t\033]0;" + title + "\007");
  }
  return std::make_unique<CursesTerminal>(screen, titled);
}

}  // namespace halvex
