#include "core/Log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <memory>

#include "core/Clock.h"

namespace tarnwick {
namespace {

std::atomic<bool> g_debug{false};
std::atomic<bool> g_echo{false};
std::mutex g_appLogMutex;
std::shared_ptr<CLogFile> g_appLog;
thread_local CLogCapture* t_capture = nullptr;

unsigned ThreadId() { return static_cast<unsigned>(syscall(SYS_gettid)); }

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

std::string Format(const char* format, va_list args) {
  char buffer[kLogLineMax + 1];
  int n = vsnprintf(buffer, sizeof buffer, format, args);
  if (n < 0) return {};
  return std::string(buffer, std::min<size_t>(static_cast<size_t>(n), kLogLineMax));
}

void Emit(const std::string& message) {
  if (t_capture) {
    std::string_view line(message);
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    t_capture->Add(line);
  }
  std::shared_ptr<CLogFile> log;
  {
    std::lock_guard lock(g_appLogMutex);
    log = g_appLog;
  }
  if (log) log->Write(message);
  if (g_echo.load(std::memory_order_relaxed)) {
    fputs(message.c_str(), stderr);
    if (message.empty() || message.back() != '\n') fputc('\n', stderr);
  }
}

}  // namespace

CLogFile::CLogFile(std::filesystem::path path, unsigned sizeCapKb)
    : path_(std::move(path)), sizeCapKb_(sizeCapKb), openTick_(TickCount()), lastTick_(openTick_) {}

CLogFile::~CLogFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool CLogFile::OpenLocked() {
  if (fd_ >= 0) return true;
  fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  return fd_ >= 0;
}

void CLogFile::Write(std::string_view message) {
  if (message.size() > kLogLineMax) message = message.substr(0, kLogLineMax);
  std::lock_guard lock(mutex_);
  if (!OpenLocked()) return;
  uint64_t now = TickCount();
  char prefix[64];
  int prefixLength = snprintf(prefix, sizeof prefix, "%.3f:%.3f:0x%x: ",
                              static_cast<double>(now - openTick_) / 1000.0,
                              static_cast<double>(now - lastTick_) / 1000.0, ThreadId());
  lastTick_ = now;
  std::string out(prefix, static_cast<size_t>(prefixLength));
  out.reserve(out.size() + message.size() + 8);
  for (char c : message) {
    if (c == '\n')
      out += "\r\n";
    else
      out += c;
  }
  WriteAll(fd_, out.data(), out.size());
  if (sizeCapKb_ > 0) TrimLocked();
}

void CLogFile::TrimLocked() {
  struct stat st;
  if (fstat(fd_, &st) != 0) return;
  const uint64_t cap = uint64_t{sizeCapKb_} * 1024;
  if (static_cast<uint64_t>(st.st_size) <= cap) return;
  const uint64_t keep = uint64_t{sizeCapKb_} * 9216 / 10;
  std::ifstream in(path_, std::ios::binary);
  if (!in) return;
  in.seekg(static_cast<std::streamoff>(static_cast<uint64_t>(st.st_size) - keep));
  std::string tail(keep, '\0');
  in.read(tail.data(), static_cast<std::streamsize>(keep));
  tail.resize(static_cast<size_t>(in.gcount()));
  in.close();
  size_t start = tail.find('\n');
  start = (start == std::string::npos) ? tail.size() : start + 1;
  std::filesystem::path tmp = path_;
  tmp += ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) return;
    out.write(tail.data() + start, static_cast<std::streamsize>(tail.size() - start));
    if (!out) return;
  }
  ::close(fd_);
  fd_ = -1;
  std::error_code ec;
  std::filesystem::remove(path_, ec);
  std::filesystem::rename(tmp, path_, ec);
  OpenLocked();
}

std::filesystem::path OpenApplicationLog(const std::filesystem::path& dataFolder) {
  std::filesystem::path current = dataFolder / "Application.log";
  std::error_code ec;
  if (std::filesystem::exists(current, ec))
    std::filesystem::rename(current, dataFolder / "PreviousApplication.log", ec);
  auto log = std::make_shared<CLogFile>(current, kApplicationLogCapKb);
  std::lock_guard lock(g_appLogMutex);
  g_appLog = std::move(log);
  return current;
}

void CloseApplicationLog() {
  std::lock_guard lock(g_appLogMutex);
  g_appLog.reset();
}

void LogV(const char* format, va_list args) { Emit(Format(format, args)); }

void Log(const char* format, ...) {
  va_list args;
  va_start(args, format);
  LogV(format, args);
  va_end(args);
}

void LogDebug(const char* format, ...) {
  if (!g_debug.load(std::memory_order_relaxed) && !t_capture) return;
  va_list args;
  va_start(args, format);
  std::string message = Format(format, args);
  va_end(args);
  if (g_debug.load(std::memory_order_relaxed)) {
    Emit(message);
  } else {
    if (!message.empty() && message.back() == '\n') message.pop_back();
    t_capture->Add(std::move(message));
  }
}

void SetDebugLogging(bool on) { g_debug.store(on); }
bool DebugLogging() { return g_debug.load(); }
bool DebugLogActive() { return g_debug.load(std::memory_order_relaxed) || t_capture != nullptr; }
void SetLogEcho(bool on) { g_echo.store(on); }

CLogCapture::CLogCapture() : previous_(t_capture) { t_capture = this; }
CLogCapture::~CLogCapture() { t_capture = previous_; }

}  // namespace tarnwick
