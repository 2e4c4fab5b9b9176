// Covered by tests/app/tessaron_server_test.cpp (Response*).
#include "app/tessaron_server/http_response.h"

#include <cstdio>

namespace pellora::tessaron {

std::string_view reasonPhrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 400:
      return "Bad Request";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 408:
      return "Request Timeout";
    case 411:
      return "Length Required";
    case 413:
      return "Content Too Large";
    case 431:
      return "Request Header Fields Too Large";
    case 500:
      return "Internal Server Error";
    case 501:
      return "Not Implemented";
    case 503:
      return "Service Unavailable";
    case 505:
      return "HTTP Version Not Supported";
    default:
      return "Error";
  }
}

HttpResponse errorResponse(int status) {
  HttpResponse response;
  response.status = status;
  response.contentType = "text/plain";
  response.body = std::to_string(status) + " " + std::string(reasonPhrase(status)) + "\n";
  return response;
}

WireAnswer serializeResponse(const HttpResponse& response, int minorVersion, bool keepAlive,
                             Framing framing, bool withBody) {
  if (framing == Framing::Chunked && minorVersion < 1) framing = Framing::Length;
  WireAnswer answer;
  answer.keepOpen = keepAlive && framing != Framing::Close && response.status < 400;
  std::string& out = answer.bytes;
  out = "HTTP/1.1 " + std::to_string(response.status) + " " +
        std::string(reasonPhrase(response.status)) + "\r\n";
  out += "Server: tessaron-server\r\n";
  if (!response.contentType.empty()) out += "Content-Type: " + response.contentType + "\r\n";
  // A browser must not guess a page out of an image's bytes.
  out += "X-Content-Type-Options: nosniff\r\n";
  if (!response.allow.empty()) out += "Allow: " + response.allow + "\r\n";
  answer.framing = framing;
  const std::size_t bodySize = response.stream ? response.stream->size() : response.body.size();
  if (framing == Framing::Length) {
    out += "Content-Length: " + std::to_string(bodySize) + "\r\n";
  } else if (framing == Framing::Chunked) {
    out += "Transfer-Encoding: chunked\r\n";
  }
  out += answer.keepOpen ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
  out += "\r\n";
  if (!withBody || response.stream) return answer;
  if (framing != Framing::Chunked) {
    out += response.body;
    return answer;
  }
  for (std::size_t pos = 0; pos < response.body.size(); pos += kChunkBytes) {
    const std::string_view piece = std::string_view(response.body).substr(pos, kChunkBytes);
    out += chunkHead(piece.size());
    out += piece;
    out += "\r\n";
  }
  out += kLastChunk;
  return answer;
}

std::string chunkHead(std::size_t size) {
  char text[24];
  std::snprintf(text, sizeof text, "%zx\r\n", size);
  return text;
}

}  // namespace pellora::tessaron
