// SPDX-License-Identifier: GPL-3.0-or-later
#include "tidy/tool_rows.h"

#include <cstdio>

#include "tidy/process_list.h"
#include "util/error.h"
#include "util/utf8.h"

namespace corvelle {
namespace {

std::string CsvField(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos)
        return field;
    std::string out = "\"";
    for (const char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

// A JSON string; a byte that is not part of well-formed UTF-8 becomes U+FFFD.
std::string JsonString(const std::string& text) {
    std::string out = "\"";
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        size_t n = Utf8Length(p + i, text.size() - i, cp);
        if (n == 0) {
            cp = 0xFFFD;
            n = 1;
        }
        i += n;
        switch (cp) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (cp < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(cp));
                    out += buf;
                } else {
                    AppendUtf8(out, cp);
                }
        }
    }
    return out + '"';
}

void JsonName(std::string& out, const char* key, const std::string& name) {
    out += std::string("\"") + key + "\":" + JsonString(name);
    if (!IsValidUtf8(name))
        out += std::string(",\"") + key + "_bytes\":\"" + Base64(name) + "\"";
}

}  // namespace

std::string Base64(const std::string& bytes) {
    static const char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t left = bytes.size() - i;
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (left > 1)
            v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (left > 2)
            v |= static_cast<unsigned char>(bytes[i + 2]);
        out += kDigits[(v >> 18) & 63];
        out += kDigits[(v >> 12) & 63];
        out += left > 1 ? kDigits[(v >> 6) & 63] : '=';
        out += left > 2 ? kDigits[v & 63] : '=';
    }
    return out;
}

std::string FormatToolRow(const ProcessRow& row, RowFormat format, bool japanese) {
    switch (format) {
        case RowFormat::Csv:
            return CsvField(row.before) + ',' + CsvField(row.after) + ',' + CsvField(row.result) +
                   '\n';
        case RowFormat::Null:
            return row.before + '\0' + row.after + '\0' + row.result + '\0';
        case RowFormat::Json:
            break;
    }
    std::string out = "{";
    JsonName(out, "before", row.before);
    out += ',';
    JsonName(out, "after", row.after);
    out += std::string(",\"kind\":\"") + (row.IsDeleteRow() ? "delete" : "raise") + "\"";
    out += ",\"result\":" + JsonString(row.result);
    // The reason for people, and its token for scripts to branch on.
    out +=
        ",\"error\":" + (row.failure ? JsonString(ErrorMessageIn(row.failure, japanese)) : "null");
    out += ",\"code\":" + (row.failure ? JsonString(ErrorToken(row.failure)) : "null");
    if (!row.junk.empty()) {
        // The junk files the row removes first (only with the junk rule).
        std::string names, bytes;
        bool raw = false;
        for (const JunkFile& j : row.junk) {
            names += (names.empty() ? "" : ",") + JsonString(j.name);
            bytes += std::string(bytes.empty() ? "" : ",") + '"' + Base64(j.name) + '"';
            raw |= !IsValidUtf8(j.name);
        }
        out += ",\"junk\":[" + names + "]";
        if (raw)
            out += ",\"junk_bytes\":[" + bytes + "]";
    }
    return out + "}\n";
}

}  // namespace corvelle
