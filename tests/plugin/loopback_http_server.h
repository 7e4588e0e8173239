#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orvane::testing {

// A one-thread HTTP server on 127.0.0.1 (an ephemeral port) for the update
// check's tests: it reads each request's head and either sends a fixed answer
// and closes, or keeps the connection open without ever answering.
class LoopbackHttpServer {
public:
  enum class Behaviour { Answer, NeverAnswer };

  // response: the raw bytes sent back (status line, headers and body).
  explicit LoopbackHttpServer(std::string response, Behaviour behaviour = Behaviour::Answer);
  ~LoopbackHttpServer();
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  // "http://127.0.0.1:<port>", the form ORVANE_UPDATE_URL takes.
  std::string BaseUrl() const;
  std::uint16_t Port() const { return mPort; }
  // Connections accepted so far.
  int ConnectionCount() const { return mConnections.load(); }
  // Request heads (request line and headers) received so far.
  std::vector<std::string> RequestHeads() const;

private:
  void Serve();
  void HandleConnection(int connection);

  std::string mResponse;
  Behaviour mBehaviour;
  int mListener = -1;
  int mWakePipe[2] = {-1, -1};
  std::uint16_t mPort = 0;
  std::atomic<int> mConnections{0};
  mutable std::mutex mMutex;
  std::vector<std::string> mRequestHeads;
  std::vector<int> mHeldConnections;
  std::thread mThread;
};

// An HTTP/1.1 answer with the given status and body and a matching length.
std::string HttpAnswer(int status, const std::string& body);

// A port on 127.0.0.1 on which nothing listens.
std::uint16_t UnusedLoopbackPort();

}  // namespace orvane::testing
