#include "app/profile_text.h"

namespace varnel {

namespace {

// A carriage return too: one left at the end of a line whose line feed
// it lacks is trimmed, as the profile functions trim it.
constexpr std::u16string_view kBlanks = u" \t\r";
constexpr std::size_t kNone = std::u16string::npos;

std::u16string_view Trim(std::u16string_view s) {
  const std::size_t b = s.find_first_not_of(kBlanks);
  if (b == std::u16string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(kBlanks) - b + 1);
}

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool SameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

// "[name]": the name, trimmed.
bool IsSection(std::u16string_view line, std::u16string_view* name) {
  const std::u16string_view t = Trim(line);
  if (t.empty() || t[0] != u'[') return false;
  const std::size_t close = t.find(u']');
  *name = Trim(t.substr(1, close == std::u16string_view::npos ? kNone : close - 1));
  return true;
}

// "key=value", both trimmed; a line without "=" is a key without a value.
bool SplitKey(std::u16string_view line, std::u16string_view* key, std::u16string_view* value) {
  const std::u16string_view t = Trim(line);
  if (t.empty() || t[0] == u'[') return false;
  const std::size_t eq = t.find(u'=');
  *key = Trim(t.substr(0, eq));
  *value = eq == std::u16string_view::npos ? std::u16string_view() : Trim(t.substr(eq + 1));
  return true;
}

std::u16string StripQuotes(std::u16string_view v) {
  if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return std::u16string(v);
}

}  // namespace

ProfileText::ProfileText(std::u16string_view text) {
  bool first = true;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find(u'\n', start);
    Line line;
    if (end == std::u16string_view::npos) {
      line.text = text.substr(start);
      end = text.size();
    } else {
      const bool cr = end > start && text[end - 1] == u'\r';
      line.text = text.substr(start, end - start - (cr ? 1 : 0));
      line.end = cr ? u"\r\n" : u"\n";
      if (first) newline_ = line.end;
      first = false;
      ++end;
    }
    lines_.push_back(std::move(line));
    start = end;
  }
}

void ProfileText::FindSection(std::u16string_view section, std::size_t* header, std::size_t* end) const {
  *header = kNone;
  *end = lines_.size();
  std::u16string_view name;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (!IsSection(lines_[i].text, &name)) continue;
    if (*header != kNone) {
      *end = i;
      return;
    }
    if (SameName(name, section)) *header = i;
  }
}

std::size_t ProfileText::FindKey(std::size_t header, std::size_t end, std::u16string_view key) const {
  std::u16string_view k, v;
  for (std::size_t i = header + 1; i < end; ++i)
    if (SplitKey(lines_[i].text, &k, &v) && SameName(k, key)) return i;
  return kNone;
}

std::optional<std::u16string> ProfileText::Get(std::u16string_view section, std::u16string_view key) const {
  std::size_t header, end;
  FindSection(section, &header, &end);
  if (header == kNone) return std::nullopt;
  const std::size_t at = FindKey(header, end, key);
  if (at == kNone) return std::nullopt;
  std::u16string_view k, v;
  SplitKey(lines_[at].text, &k, &v);
  return StripQuotes(v);
}

void ProfileText::Set(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
  std::size_t header, end;
  FindSection(section, &header, &end);
  auto entry = [&](std::u16string_view name) { return std::u16string(name) + u"=" + std::u16string(value); };
  auto insert = [&](std::size_t at, std::u16string text) {
    // The line before an added one gets an end if it had none (the file's last).
    if (at > 0 && lines_[at - 1].end.empty()) lines_[at - 1].end = newline_;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), newline_});
  };
  if (header == kNone) {
    insert(lines_.size(), u"[" + std::u16string(section) + u"]");
    insert(lines_.size(), entry(key));
    return;
  }
  if (const std::size_t at = FindKey(header, end, key); at != kNone) {
    std::u16string_view k, v;
    SplitKey(lines_[at].text, &k, &v);
    lines_[at].text = entry(k);  // the key keeps the spelling it has in the file
    return;
  }
  std::size_t last = end;
  while (last > header + 1 && Trim(lines_[last - 1].text).empty()) --last;
  insert(last, entry(key));
}

std::u16string ProfileText::Text() const {
  std::u16string out;
  for (const Line& line : lines_) out.append(line.text).append(line.end);
  return out;
}

}  // namespace varnel
