#include "loopback_http_server.h"

#include <stdexcept>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orvane::testing {
namespace {

constexpr char kEndOfHead[] = "\r\n\r\n";
constexpr std::size_t kMaxHeadBytes = 16 * 1024;
constexpr int kPollForever = -1;
constexpr int kListenBacklog = 16;

int OpenLoopbackListener(std::uint16_t& port) {
  const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener < 0) {
    throw std::runtime_error("socket failed");
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener, kListenBacklog) != 0 ||
      ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(listener);
    throw std::runtime_error("cannot listen on 127.0.0.1");
  }
  port = ntohs(address.sin_port);
  return listener;
}

void SendAll(int connection, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t count = ::send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (count <= 0) {
      return;  // the client gave up, which some tests expect
    }
    sent += static_cast<std::size_t>(count);
  }
}

}  // namespace

LoopbackHttpServer::LoopbackHttpServer(std::string response, Behaviour behaviour)
    : mResponse(std::move(response)), mBehaviour(behaviour) {
  mListener = OpenLoopbackListener(mPort);
  if (::pipe2(mWakePipe, O_CLOEXEC) != 0) {
    ::close(mListener);
    throw std::runtime_error("pipe failed");
  }
  mThread = std::thread([this] { Serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
  const char wake = 0;
  [[maybe_unused]] const ssize_t written = ::write(mWakePipe[1], &wake, 1);
  mThread.join();
  for (const int connection : mHeldConnections) {
    ::close(connection);
  }
  ::close(mListener);
  ::close(mWakePipe[0]);
  ::close(mWakePipe[1]);
}

std::string LoopbackHttpServer::BaseUrl() const { return "http://127.0.0.1:" + std::to_string(mPort); }

std::vector<std::string> LoopbackHttpServer::RequestHeads() const {
  const std::lock_guard lock(mMutex);
  return mRequestHeads;
}

void LoopbackHttpServer::Serve() {
  while (true) {
    pollfd fds[2] = {{mListener, POLLIN, 0}, {mWakePipe[0], POLLIN, 0}};
    if (::poll(fds, 2, kPollForever) < 0) {
      continue;
    }
    if (fds[1].revents != 0) {
      return;
    }
    const int connection = ::accept4(mListener, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection >= 0) {
      ++mConnections;
      HandleConnection(connection);
    }
  }
}

void LoopbackHttpServer::HandleConnection(int connection) {
  std::string head;
  char buffer[1024];
  while (head.find(kEndOfHead) == std::string::npos && head.size() < kMaxHeadBytes) {
    pollfd fds[2] = {{connection, POLLIN, 0}, {mWakePipe[0], POLLIN, 0}};
    if (::poll(fds, 2, kPollForever) < 0 || fds[1].revents != 0) {
      break;
    }
    const ssize_t count = ::recv(connection, buffer, sizeof buffer, 0);
    if (count <= 0) {
      break;
    }
    head.append(buffer, static_cast<std::size_t>(count));
  }
  {
    const std::lock_guard lock(mMutex);
    mRequestHeads.push_back(head);
    if (mBehaviour == Behaviour::NeverAnswer) {
      mHeldConnections.push_back(connection);
      return;
    }
  }
  SendAll(connection, mResponse);
  ::shutdown(connection, SHUT_WR);
  ::close(connection);
}

std::string HttpAnswer(int status, const std::string& body) {
  return "HTTP/1.1 " + std::to_string(status) + " Answer\r\nContent-Type: application/json\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

std::uint16_t UnusedLoopbackPort() {
  std::uint16_t port = 0;
  ::close(OpenLoopbackListener(port));
  return port;
}

}  // namespace orvane::testing
