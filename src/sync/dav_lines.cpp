// Requests, answers and multistatus answers as lines of fields: how they
// cross the interface of the module "velmora_dav".
#include <charconv>

#include "sync/dav_client.h"
#include "sync/field_lines.h"

namespace velmora::sync {

namespace {

long number_of(const std::string& text) {
    long value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

}  // namespace

const std::string* DavItem::property(std::string_view name) const {
    for (const DavProperty& found : properties) {
        if (found.name == name) return &found.value;
    }
    return nullptr;
}

std::string format_request(const DavRequest& request) {
    std::string out;
    const std::string connect = std::to_string(request.connect_timeout_ms);
    const std::string total = std::to_string(request.total_timeout_ms);
    const std::string most = std::to_string(request.max_bytes);
    append_line(out, {"request", request.method, request.url, request.user, request.password,
                      connect, total, most});
    for (const auto& [name, value] : request.headers) append_line(out, {"header", name, value});
    append_line(out, {"body", request.body});
    return out;
}

DavRequest parse_request(std::string_view lines) {
    DavRequest request;
    for (const std::vector<std::string>& fields : split_lines(lines)) {
        if (fields[0] == "request" && fields.size() == 8) {
            request.method = fields[1];
            request.url = fields[2];
            request.user = fields[3];
            request.password = fields[4];
            request.connect_timeout_ms = number_of(fields[5]);
            request.total_timeout_ms = number_of(fields[6]);
            request.max_bytes = static_cast<std::size_t>(number_of(fields[7]));
        } else if (fields[0] == "header" && fields.size() == 3) {
            request.headers.emplace_back(fields[1], fields[2]);
        } else if (fields[0] == "body" && fields.size() == 2) {
            request.body = fields[1];
        }
    }
    return request;
}

std::string format_response(const DavResponse& response) {
    std::string out;
    append_line(out, {"response", std::to_string(response.status), response.error, response.etag,
                      response.location, response.content_type});
    append_line(out, {"body", response.body});
    return out;
}

DavResponse parse_response(std::string_view lines) {
    DavResponse response;
    response.error = "同步模块的回答无法识别";
    for (const std::vector<std::string>& fields : split_lines(lines)) {
        if (fields[0] == "response" && fields.size() == 6) {
            response.status = static_cast<int>(number_of(fields[1]));
            response.error = fields[2];
            response.etag = fields[3];
            response.location = fields[4];
            response.content_type = fields[5];
        } else if (fields[0] == "body" && fields.size() == 2) {
            response.body = fields[1];
        }
    }
    return response;
}

std::string format_multistatus(const Multistatus& answer) {
    std::string out;
    append_line(out, {"multistatus", answer.sync_token, answer.refused});
    for (const DavItem& item : answer.items) {
        append_line(out, {"item", item.href, std::to_string(item.status)});
        for (const DavProperty& property : item.properties) {
            append_line(
                out, {"property", property.name, property.value, std::to_string(property.status)});
        }
    }
    return out;
}

Multistatus parse_multistatus(std::string_view lines) {
    Multistatus answer;
    answer.refused = "同步模块的回答无法识别";
    for (const std::vector<std::string>& fields : split_lines(lines)) {
        if (fields[0] == "multistatus" && fields.size() == 3) {
            answer.sync_token = fields[1];
            answer.refused = fields[2];
        } else if (fields[0] == "item" && fields.size() == 3) {
            answer.items.push_back({fields[1], static_cast<int>(number_of(fields[2])), {}});
        } else if (fields[0] == "property" && fields.size() == 4 && !answer.items.empty()) {
            answer.items.back().properties.push_back(
                {fields[1], fields[2], static_cast<int>(number_of(fields[3]))});
        }
    }
    return answer;
}

std::string request_failure(const DavResponse& answer, const std::string& what) {
    if (answer.status == 0) return what + "失败：" + answer.error;
    switch (answer.status) {
        case 401: return what + "失败：用户名或密码不对（HTTP 401）";
        case 403: return what + "失败：服务器拒绝了这个账户（HTTP 403）";
        case 404: return what + "失败：服务器上没有这个日历（HTTP 404）";
        case 507: return what + "失败：服务器的存储空间已满（HTTP 507）";
        default: break;
    }
    if (answer.status >= 300 && answer.status < 400) {
        return what + "失败：服务器要求转到另一个地址（HTTP " + std::to_string(answer.status) +
               "），请在设置中填写日历的准确地址";
    }
    return what + "失败：服务器回答 HTTP " + std::to_string(answer.status);
}

}  // namespace velmora::sync
