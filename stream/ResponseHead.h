// The response head of the stream request, parsed as its bytes arrive, in
// blocks of any size: the status line's two tokens (each up to a space or
// 512 bytes), the rest of that line, then header lines up to a line feed
// or 512 bytes each, until an empty line (a bare LF, CR LF, or a piece
// whose first byte is a NUL). It reads the same bytes, and so leaves the
// same body, as reading one byte a call would.
#pragma once

#include <cstddef>
#include <string>

class ResponseHeadParser {
public:
    // Looks at up to `count` bytes and takes those of the head: the number
    // taken, which is less than `count` only when the head ended within
    // them. Bytes after the head are never taken.
    std::size_t Feed(const char* bytes, std::size_t count);
    bool Done() const { return m_phase == Phase::Done; }
    // The decimal value of the leading digits of the second token (at most
    // six of them).
    int Status() const { return m_status; }
    // The value of the head's first Content-Type line (as far as its first
    // piece goes), blanks and CR trimmed; empty when there was none.
    const std::string& ContentType() const { return m_contentType; }
    // Whether the head gave the body a chunked transfer encoding.
    bool Chunked() const { return m_chunked; }

private:
    enum class Phase { Version, Code, StatusRest, Lines, Done };
    void take(unsigned char c);

    Phase m_phase = Phase::Version;
    std::size_t m_length = 0; // bytes of the current token or line piece
    unsigned char m_first = 0; // the first byte of the current line piece
    bool m_digits = true;      // the code token's bytes are all digits so far
    int m_status = 0;
    std::string m_piece; // the current line piece's bytes, kept for its name
    std::string m_contentType;
    bool m_haveContentType = false;
    bool m_chunked = false;
    void endPiece();
};
