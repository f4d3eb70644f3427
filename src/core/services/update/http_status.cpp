#include "core/services/update/http_status.h"

#include <cstdio>

namespace tarnwick::update {

namespace {

std::string WithStatus(const char* format, unsigned status) {
  char text[64];
  std::snprintf(text, sizeof text, format, status);
  return text;
}

const char* RefusedFormat(unsigned status) {
  if (status < 300) return "获取成功:#%u";
  if (status < 400) return "信息代码:#%u";
  if (status < 500) {
    switch (status) {
      case 400:
        return "请求无法解析:#%u";
      case 404:
        return "请求地址不存在:#%u";
      case 405:
        return "服务器不支持:#%u";
      default:
        return "请求错误:#%u";
    }
  }
  switch (status) {
    case 500:
      return "未知服务器错误:#%u";
    case 503:
      return "服务器容量不足:#%u";
    default:
      return "服务器错误:#%u";
  }
}

}  // namespace

HttpStatusResult CheckHttpStatus(unsigned status, unsigned acceptedStatus) {
  if (status < 200 || status >= 600) return {false, WithStatus("未知错误:#%u", status)};
  const unsigned classBit = 1U << (status / 100 - 2);
  if ((acceptedStatus & classBit) != 0) return {true, {}};
  return {false, WithStatus(RefusedFormat(status), status)};
}

}  // namespace tarnwick::update
