// Request checking for quillstone-engine: every field an operation needs must be there
// with its type, and documents are 0, 1 or 2.
#include "engine/EngineProtocol.h"

#include "platform/Utf8.h"
#include "platform/automation/JsonLine.h"

#include <algorithm>
#include <array>

namespace qs::engine {
namespace {

using automation::JsonBool;
using automation::JsonInt;
using automation::JsonObject;
using automation::JsonString;

struct OpName {
    std::string_view name;
    EngineOp op;
};
constexpr std::array<OpName, 11> kOps{{
    {"hello", EngineOp::Hello},
    {"execute", EngineOp::Execute},
    {"document_path", EngineOp::DocumentPath},
    {"save_as", EngineOp::SaveAs},
    {"save_dictionary", EngineOp::SaveDictionary},
    {"cancel", EngineOp::Cancel},
    {"note", EngineOp::Note},
    {"set_visible", EngineOp::SetVisible},
    {"set_window_state", EngineOp::SetWindowState},
    {"banner_text", EngineOp::BannerText},
    {"watch", EngineOp::Watch},
}};

std::string Missing(std::string_view op, std::string_view field, std::string_view type) {
    return std::string(op) + " needs the " + std::string(type) + " field \"" +
           std::string(field) + "\"";
}

ParsedRequest ParseFields(std::string_view line) {
    std::string error;
    const auto object = automation::DecodeJsonLine(line, &error);
    if (!object) {
        return {std::nullopt, "malformed request: " + error};
    }
    const auto opName = JsonString(*object, "op");
    if (!opName) {
        return {std::nullopt, "the request names no operation (\"op\")"};
    }
    EngineRequest request;
    bool known = false;
    for (const auto& [name, op] : kOps) {
        if (*opName == name) {
            request.op = op;
            known = true;
        }
    }
    if (!known) {
        return {std::nullopt, "unknown operation \"" + *opName + "\""};
    }
    const std::string& op = *opName;
    switch (request.op) {
    case EngineOp::Hello: {
        const auto v = JsonInt(*object, "v");
        if (!v) {
            return {std::nullopt, Missing(op, "v", "integer")};
        }
        request.version = *v;
        return {request, {}};
    }
    case EngineOp::Cancel:
    case EngineOp::Watch:
        return {request, {}};
    case EngineOp::Note:
    case EngineOp::Execute: {
        const auto text = JsonString(*object, "text");
        if (!text) {
            return {std::nullopt, Missing(op, "text", "string")};
        }
        request.text = *text;
        if (request.op == EngineOp::Note) {
            return {request, {}};
        }
        const auto wait = JsonBool(*object, "wait");
        if (!wait) {
            return {std::nullopt, Missing(op, "wait", "boolean")};
        }
        request.wait = *wait;
        request.report = JsonBool(*object, "report").value_or(false);
        request.messages = JsonBool(*object, "messages").value_or(false);
        request.folder = JsonString(*object, "folder").value_or("");
        request.pieces = JsonBool(*object, "pieces").value_or(false);
        request.items = JsonBool(*object, "items").value_or(false);
        request.line = std::max<std::int64_t>(1, JsonInt(*object, "line").value_or(1));
        request.textFile = JsonString(*object, "text_file").value_or("");
        return {request, {}};
    }
    default:
        break;
    }
    const auto kind = JsonInt(*object, "kind");
    if (!kind) {
        return {std::nullopt, Missing(op, "kind", "integer")};
    }
    if (*kind < 0 || *kind > 2) {
        return {std::nullopt, "there is no document of kind " + std::to_string(*kind)};
    }
    request.kind = *kind;
    if ((request.op == EngineOp::DocumentPath || request.op == EngineOp::SaveAs ||
         request.op == EngineOp::SaveDictionary) &&
        *kind != 0) {
        return {std::nullopt, op + " applies to the data document (kind 0) only"};
    }
    if (request.op == EngineOp::SaveAs) {
        const auto path = JsonString(*object, "path");
        if (!path || path->empty()) {
            return {std::nullopt, Missing(op, "path", "non-empty string")};
        }
        // A file name with a NUL would be cut short on its way to PSPP, and one with a
        // line break cannot be typed: either would write somewhere else than asked.
        if (path->find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos) {
            return {std::nullopt, "the file name contains a NUL or a line break"};
        }
        request.path = *path;
    } else if (request.op == EngineOp::SetVisible) {
        const auto visible = JsonBool(*object, "visible");
        if (!visible) {
            return {std::nullopt, Missing(op, "visible", "boolean")};
        }
        request.visible = *visible;
    } else if (request.op == EngineOp::SetWindowState) {
        const auto state = JsonInt(*object, "state");
        if (!state) {
            return {std::nullopt, Missing(op, "state", "integer")};
        }
        request.state = *state;
    }
    return {request, {}};
}

// Text that is not UTF-8 would reach PSPP with its bytes replaced (and a file name would
// name another file): it is refused, never repaired.
std::string NotUtf8(const std::string& field, const std::string& value) {
    const std::size_t at = FirstInvalidUtf8(value);
    if (at == std::string::npos) {
        return {};
    }
    return "the field \"" + field + "\" is not UTF-8 (byte " + std::to_string(at + 1) +
           "): send the text as UTF-8";
}

} // namespace

ParsedRequest ParseEngineRequest(std::string_view line) {
    ParsedRequest parsed = ParseFields(line);
    if (parsed.request) {
        for (const auto& [field, value] :
             {std::pair<const char*, const std::string&>{"text", parsed.request->text},
              {"folder", parsed.request->folder},
              {"path", parsed.request->path},
              {"text_file", parsed.request->textFile}}) {
            if (std::string why = NotUtf8(field, value); !why.empty()) {
                return {std::nullopt, std::move(why)};
            }
        }
    }
    return parsed;
}

bool AnsweredAtOnce(EngineOp op) {
    switch (op) {
    case EngineOp::SetVisible:
    case EngineOp::SetWindowState:
    case EngineOp::BannerText:
    case EngineOp::Cancel:
    case EngineOp::Note:
    case EngineOp::DocumentPath:
        return true;
    default:
        return false;
    }
}

std::string OkReply() {
    return automation::EncodeJsonLine({{"ok", true}}) + '\n';
}

std::string ValueReply(const std::string& value) {
    return automation::EncodeJsonLine({{"ok", true}, {"value", value}}) + '\n';
}

std::string ErrorReply(const std::string& error) {
    return automation::EncodeJsonLine({{"ok", false}, {"error", error}}) + '\n';
}

std::string HelloReply(std::int64_t version) {
    return automation::EncodeJsonLine({{"ok", true}, {"v", version}}) + '\n';
}

namespace {

// Where to end a piece of at most `limit` bytes of `text` from `start`: after a line end
// when there is one, else before a character, never inside one.
std::size_t PieceEnd(std::string_view text, std::size_t start, std::size_t limit) {
    std::size_t end = start + limit;
    if (end >= text.size()) {
        return text.size();
    }
    if (const std::size_t nl = text.substr(start, limit).rfind('\n'); nl != std::string_view::npos) {
        return start + nl + 1;
    }
    while (end > start + 1 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return end;
}

// The messages up to the last whole line within the budget.
std::string BoundedMessages(const std::string& messages) {
    if (messages.size() <= kReplyMessageBytes) {
        return messages;
    }
    const std::size_t nl = messages.rfind('\n', kReplyMessageBytes - 1);
    return nl == std::string::npos ? std::string() : messages.substr(0, nl + 1);
}

} // namespace

std::string RunReply(const EngineRequest& request, const RunReport& report) {
    std::string lines;
    if (request.report && request.pieces) { // one buffer for all of it, grown once
        lines.reserve(report.output.size() + report.output.size() / 8 + 4096);
    }
    automation::JsonObject reply{{"ok", true}};
    // Earlier parts of `text` as lines of their own; returns the rest for the last reply.
    const auto pieced = [&](const char* field, std::string_view text) {
        std::size_t start = 0;
        while (text.size() - start > kReplyPieceBytes) {
            const std::size_t end = PieceEnd(text, start, kReplyPieceBytes);
            lines += automation::EncodeJsonLine(
                         {{"ok", true}, {"more", true}, {field, std::string(text.substr(start, end - start))}}) +
                     '\n';
            start = end;
        }
        return text.substr(start);
    };
    if (request.report) {
        std::string_view output = report.output;
        std::string cut;
        if (request.pieces) {
            output = pieced("output", output);
        } else if (output.size() > kReplyPieceBytes) {
            const std::size_t end = PieceEnd(output, 0, kReplyPieceBytes);
            cut = std::string(output.substr(0, end)) + "\n[quillstone-engine cut the output here: " +
                  std::to_string(output.size() - end) +
                  " more bytes do not fit in one reply. The Output window shows the end.]\n";
            output = cut;
        }
        reply.insert({{"output", std::string(output)},
                      {"errors", report.errors},
                      {"warnings", report.warnings}});
    }
    if (request.messages) {
        reply.emplace("messages", BoundedMessages(report.messages));
    }
    if (request.items && request.pieces) {
        reply.emplace("html", std::string(pieced("html", report.html)));
        reply.emplace("charts", report.charts);
    }
    lines += automation::EncodeJsonLine(reply);
    lines += '\n';
    return lines;
}

} // namespace qs::engine
