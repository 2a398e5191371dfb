#pragma once
// A serial device (USB adapter, on-board UART, pseudo-terminal) opened with
// termios: exclusive, raw, the port's line settings over 4800 8N1, DTR and
// RTS raised. With "baud": "auto" it searches the common rates until the port
// recognises data.

#include <linux/serial.h>
#include <termios.h>

#include <string>

#include "instruments/ports/FileDescriptor.h"
#include "instruments/ports/PortSettings.h"
#include "instruments/ports/PortTransport.h"
#include "instruments/ports/StreamOutput.h"

namespace tarnwick {

// Sets tio to raw mode with the line settings at baud (bits per second);
// false when the rate has no termios speed.
bool ComposeLineSettings(termios& tio, const SerialLineSettings& line, int baud);

class CSerialTransport final : public CPortTransport {
 public:
  // The rates the automatic search tries, in order.
  static constexpr int kSearchRates[] = {4800, 38400, 9600, 19200, 57600, 115200};

  // name: the configured address (for log lines); device: the path to open.
  CSerialTransport(std::string name, std::string device, SerialLineSettings line);

  int IdleTimeoutMs() const override { return 5000; }
  bool Open(int wakeFd, PortError& error) override;
  void Close() override;
  bool IsOpen() const override { return fd_.IsValid(); }
  void CollectPollFds(std::vector<pollfd>& fds) override;
  bool Service(std::span<const pollfd> fds, IPortReceiver& receiver, PortError& error) override;
  bool ReadyForOutput() const override { return output_.Empty(); }
  bool Send(std::string bytes, PortError& error) override;
  bool WantsReopen(uint64_t nowTick) override;
  void DataRecognised() override { baudFound_ = true; }

  // The rate in use (or tried next), bits per second.
  int Baud() const;

 private:
  void ApplyLineSettings();
  void ReportLineErrors(IPortReceiver& receiver);

  std::string name_;
  std::string device_;
  SerialLineSettings line_;
  size_t searchIndex_ = 0;
  bool baudFound_ = false;
  uint64_t openedTick_ = 0;
  CFileDescriptor fd_;
  CStreamOutput output_;
  bool countsAvailable_ = false;
  serial_icounter_struct counts_{};
};

}  // namespace tarnwick
