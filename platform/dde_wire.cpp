#include "platform/dde_wire.h"

#include <algorithm>
#include <cstdint>

namespace dde::wire {
namespace {

void PutU32(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 24));
  out.push_back(static_cast<uint8_t>(v >> 16));
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

void PutString(Bytes& out, const std::string& s) {
  PutU32(out, static_cast<uint32_t>(s.size()));
  out.insert(out.end(), s.begin(), s.end());
}

uint32_t GetU32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

// Reads fields off a body front to back; any read past the end marks the body as bad.
class BodyCursor {
 public:
  BodyCursor(const uint8_t* p, size_t n) : p_(p), left_(n) {}
  uint8_t U8() {
    if (!Have(1)) return 0;
    --left_;
    return *p_++;
  }
  uint32_t U32() {
    if (!Have(4)) return 0;
    uint32_t v = GetU32(p_);
    p_ += 4;
    left_ -= 4;
    return v;
  }
  std::string String() {
    uint32_t n = U32();
    if (!Have(n)) return {};
    std::string s(reinterpret_cast<const char*>(p_), n);
    p_ += n;
    left_ -= n;
    return s;
  }
  Bytes Rest() {
    Bytes b(p_, p_ + left_);
    p_ += left_;
    left_ = 0;
    return b;
  }
  bool Ok() const { return ok_; }
  bool AtEnd() const { return ok_ && left_ == 0; }

 private:
  bool Have(size_t n) {
    if (ok_ && left_ >= n) return true;
    ok_ = false;
    return false;
  }
  const uint8_t* p_;
  size_t left_;
  bool ok_ = true;
};

bool KnownType(uint8_t t) {
  switch (static_cast<MessageType>(t)) {
    case MessageType::Connect:
    case MessageType::Accept:
    case MessageType::Refuse:
    case MessageType::Request:
    case MessageType::Poke:
    case MessageType::Data:
    case MessageType::NoData:
    case MessageType::PokeResult:
      return true;
  }
  return false;
}

}  // namespace

std::optional<Bytes> EncodeFrame(const Message& m) {
  Bytes out(4, 0);  // the length, filled in below
  out.push_back(static_cast<uint8_t>(m.type));
  switch (m.type) {
    case MessageType::Connect:
      out.push_back(m.version);
      PutString(out, m.service);
      PutString(out, m.topic);
      break;
    case MessageType::Accept:
    case MessageType::Refuse:
      break;
    case MessageType::Request:
    case MessageType::Poke:
      PutU32(out, m.transaction);
      PutString(out, m.item);
      break;
    case MessageType::Data:
      PutU32(out, m.transaction);
      out.insert(out.end(), m.data.begin(), m.data.end());
      break;
    case MessageType::NoData:
      PutU32(out, m.transaction);
      break;
    case MessageType::PokeResult:
      PutU32(out, m.transaction);
      PutU32(out, m.value);
      break;
  }
  size_t body = out.size() - 4;
  if (body > kMaxFrameBytes) return std::nullopt;
  Bytes length;
  PutU32(length, static_cast<uint32_t>(body));
  std::copy(length.begin(), length.end(), out.begin());
  return out;
}

std::optional<Message> DecodeBody(const uint8_t* body, size_t size) {
  BodyCursor in(body, size);
  uint8_t type = in.U8();
  if (!in.Ok() || !KnownType(type)) return std::nullopt;
  Message m;
  m.type = static_cast<MessageType>(type);
  switch (m.type) {
    case MessageType::Connect:
      m.version = in.U8();
      m.service = in.String();
      m.topic = in.String();
      break;
    case MessageType::Accept:
    case MessageType::Refuse:
      break;
    case MessageType::Request:
    case MessageType::Poke:
      m.transaction = in.U32();
      m.item = in.String();
      break;
    case MessageType::Data:
      m.transaction = in.U32();
      if (in.Ok()) m.data = in.Rest();
      break;
    case MessageType::NoData:
      m.transaction = in.U32();
      break;
    case MessageType::PokeResult:
      m.transaction = in.U32();
      m.value = in.U32();
      break;
  }
  if (!in.AtEnd()) return std::nullopt;
  return m;
}

// Frames already handed out go first, so that the buffer holds only what is still to come.
void FrameReader::Append(const uint8_t* bytes, size_t count) {
  if (start_ > 0) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
    start_ = 0;
  }
  MakeRoom(count);
  buffer_.insert(buffer_.end(), bytes, bytes + count);
}

// Grows by doubling, as a vector does, but never past the end of the frame being collected once
// its length is in: a frame of the largest size takes its own size, not twice that. A buffer left
// large by a frame handed out earlier is replaced by one that fits what it still holds.
void FrameReader::MakeRoom(size_t count) {
  const size_t need = buffer_.size() + count;
  const size_t capacity = buffer_.capacity();
  size_t room = need;
  if (need <= capacity) {
    if (capacity < kMappedBlockBytes || capacity <= 4 * need) return;
  } else {
    const size_t frameEnd = buffer_.size() >= 4 ? 4 + size_t{GetU32(buffer_.data())} : SIZE_MAX;
    room = std::max(need, std::min(capacity * 2, frameEnd));
  }
  Buffer resized;
  resized.reserve(room);
  resized.assign(buffer_.begin(), buffer_.end());
  buffer_.swap(resized);
}

ReadStatus FrameReader::Next(Message& message) {
  size_t avail = Buffered();
  if (avail < 4) return ReadStatus::NeedMore;
  const uint8_t* p = buffer_.data() + start_;
  uint32_t length = GetU32(p);
  if (length > kMaxFrameBytes) return ReadStatus::Oversized;
  if (length == 0) return ReadStatus::Malformed;
  if (avail - 4 < length) return ReadStatus::NeedMore;
  std::optional<Message> decoded = DecodeBody(p + 4, length);
  if (!decoded) return ReadStatus::Malformed;
  message = std::move(*decoded);
  start_ += 4 + size_t{length};
  if (start_ == buffer_.size()) {
    GiveBack(buffer_);
    start_ = 0;
  }
  return ReadStatus::Ready;
}

}  // namespace dde::wire
