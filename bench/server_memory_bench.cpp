// Peak memory of tessaron-server for large saves (never pass/fail). Each
// scenario starts a fresh server as a child, posts its bodies and reads the
// child's VmHWM, the high-water mark of its resident memory.
//   server_memory_bench [MEGABYTES]   (default 64)
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Child {
  pid_t pid = -1;
  int port = 0;
};

Child startServer(const std::filesystem::path& root) {
  int out[2];
  if (::pipe(out) != 0) std::exit(1);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out[1], 1);
    ::close(out[0]);
    ::close(out[1]);
    ::execl(TESSARON_SERVER_PATH, "tessaron-server", "--root", root.c_str(), "--token", "T0k",
            "--base", "/t", static_cast<char*>(nullptr));
    std::_Exit(127);
  }
  ::close(out[1]);
  std::string line;
  char c;
  while (::read(out[0], &c, 1) == 1 && c != '\n') line += c;
  ::close(out[0]);
  const std::size_t colon = line.rfind(':');
  if (colon == std::string::npos) {
    std::fprintf(stderr, "server did not start: %s\n", line.c_str());
    std::exit(1);
  }
  return {pid, std::atoi(line.c_str() + colon + 1)};
}

long statusKb(pid_t pid, const char* field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::string(field).size() + 1);
  }
  return -1;
}

void stopServer(const Child& child) {
  ::kill(child.pid, SIGTERM);
  int status = 0;
  ::waitpid(child.pid, &status, 0);
}

// Sends `request` and reads the answer to its end; the answer's first line.
std::string exchange(int port, const std::string& request) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(static_cast<std::uint16_t>(port));
  where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) return "no connect";
  std::size_t sent = 0;
  while (sent < request.size()) {
    const ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) break;
    sent += static_cast<std::size_t>(n);
  }
  std::string answer;
  char piece[4096];
  ssize_t n;
  while ((n = ::recv(fd, piece, sizeof piece, 0)) > 0)
    answer.append(piece, static_cast<std::size_t>(n));
  ::close(fd);
  return answer.substr(0, answer.find("\r\n")) + " / " +
         answer.substr(answer.find("\r\n\r\n") == std::string::npos ? answer.size()
                                                                    : answer.find("\r\n\r\n") + 4);
}

std::string request(const std::string& type, const std::string& body) {
  return "POST /t/edit.php HTTP/1.0\r\nContent-Type: " + type +
         "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// A save of `total` bytes: HTML text as the editor encodes it.
std::string saveRequest(std::size_t total, int item) {
  const std::string head = "content=Big" + std::to_string(item) + "&htmlsource=";
  const std::string tail = "&auth=T0k&edtype=ax&";
  const std::string unit = "%3CP%3ESome+text+in+a+paragraph%2C+K%FCche%3C%2FP%3E%0D%0A";
  std::string body = head;
  body.reserve(total);
  while (body.size() + unit.size() + tail.size() <= total) body += unit;
  body.append(total - body.size() - tail.size(), 'x');
  body += tail;
  return request("application/x-www-form-urlencoded", body);
}

std::string uploadRequest(std::size_t total) {
  const std::string boundary = "---------------------------7d11a9202023c";
  const std::string head =
      "--" + boundary + "\r\nContent-Disposition: form-data; name=\"auth\"\r\n\r\nT0k\r\n--" +
      boundary +
      "\r\nContent-Disposition: form-data; name=\"imagefile\"; filename=\"C:\\big.gif\"\r\n"
      "Content-Type: image/gif\r\n\r\n";
  const std::string tail = "\r\n--" + boundary + "--\r\n";
  std::string body = head;
  body.reserve(total);
  for (std::size_t i = 0; body.size() + tail.size() < total; ++i)
    body += static_cast<char>(i * 7 % 251);
  body += tail;
  return request("multipart/form-data; boundary=" + boundary, body);
}

void scenario(const char* name, const std::vector<std::string>& requests, std::size_t bodyBytes) {
  const std::filesystem::path root = std::filesystem::temp_directory_path() /
                                     ("server-memory-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(root);
  const Child child = startServer(root);
  const long idle = statusKb(child.pid, "VmHWM:");
  std::vector<std::thread> clients;
  std::vector<std::string> answers(requests.size());
  for (std::size_t i = 0; i < requests.size(); ++i) {
    clients.emplace_back([&, i] { answers[i] = exchange(child.port, requests[i]); });
  }
  for (auto& client : clients) client.join();
  const long peak = statusKb(child.pid, "VmHWM:");
  stopServer(child);
  std::filesystem::remove_all(root);
  std::printf("%-28s bodies=%zux%.1f MB  idle_hwm=%ld kB  peak_hwm=%ld kB  (%.2fx one body)  %s\n",
              name, requests.size(), bodyBytes / 1048576.0, idle, peak,
              (peak - idle) * 1024.0 / static_cast<double>(bodyBytes), answers[0].c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
  const std::size_t body = megabytes * 1024 * 1024;
  scenario("one form save", {saveRequest(body, 0)}, body);
  scenario("one image upload", {uploadRequest(body)}, body);
  std::vector<std::string> six;
  for (int i = 0; i < 6; ++i) six.push_back(saveRequest(body, i));
  scenario("six form saves at once", six, body);
  return 0;
}
