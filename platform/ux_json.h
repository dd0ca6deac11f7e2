// A small JSON document model over UTF-16 text. The installer writes one
// document with it (the product state text of the install report) and reads
// one (the city lookup answer). No floating point: the peers never send any.
// Object members are kept in name order, so output is stable whatever the
// order of insertion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace cf {
namespace UxJson {

enum ValueType : int {
  kNull = 1,
  kObject = 2,
  kBool = 3,
  kString = 4,
  kLong = 5,
  kArray = 7,
};

// Parse error codes; 0 means no error.
enum ErrorCode : int {
  kNoError = 0,
  kObjectExpected = 1,   // no "{"
  kLiteralExpected = 2,  // not true, false or null
  kQuoteExpected = 3,    // no opening double quote
  kUnterminatedString = 4,
  kDigitsExpected = 5,
  kColonExpected = 6,
  kSeparatorExpected = 7,  // no "," or closing bracket
  kBadEscape = 8,
  kUnreadableValue = 9,
  kArrayExpected = 10,
};

class Error {
 public:
  virtual ~Error() = default;
  int code = kNoError;
  int line = -1;    // 1-based
  int column = -1;  // 1-based
};

// Where a parse stands in the text; records the first failure.
struct Cursor {
  std::wstring_view text;
  size_t pos = 0;
  int depth = 0;
  Error error;

  bool AtEnd() const { return pos >= text.size(); }
  wchar_t Peek() const { return AtEnd() ? L'\0' : text[pos]; }
  void SkipWhiteSpace();
  bool Fail(int code);  // records code, line and column of pos; returns false
};

class Value;

// A reference into a tree: the value and the value that holds it.
class Handle {
 public:
  Handle() = default;
  Handle(Value* parent, Value* value) : m_parent(parent), m_value(value) {}
  virtual ~Handle() = default;

  // The member `name` of this object; a non-object value is first replaced
  // in its parent by an empty object, a missing member is created as null.
  Handle Member(const std::wstring& name);
  // Replaces the referenced value in its parent by an integer.
  void SetLong(int32_t number);
  // The string (null when not a string) and the integer (0 when not one).
  const wchar_t* GetString() const;
  int32_t GetLong() const;

  Value* GetValue() const { return m_value; }
  Value* GetParent() const { return m_parent; }

 protected:
  Value* m_parent = nullptr;
  Value* m_value = nullptr;
};

class Value : public Handle {
 public:
  explicit Value(int type) : m_type(type) {}
  ~Value() override = default;
  virtual bool Parse(Cursor& cursor) = 0;
  virtual void Write(std::wstring& out, bool pretty, int level, int step) const = 0;

  int Type() const { return m_type; }
  int Index() const { return m_index; }

 protected:
  friend class ValueObject;
  friend class ValueArray;
  void Attach(Value* parent, int index) {
    m_parent = parent;
    m_value = this;
    m_index = index;
  }

 private:
  int m_type;
  int m_index = -1;
};

class ValueNull : public Value {
 public:
  ValueNull() : Value(kNull) {}
  bool Parse(Cursor& cursor) override;
  void Write(std::wstring& out, bool pretty, int level, int step) const override;
};

class ValueBool : public Value {
 public:
  explicit ValueBool(bool value = false) : Value(kBool), m_bool(value) {}
  bool Parse(Cursor& cursor) override;
  void Write(std::wstring& out, bool pretty, int level, int step) const override;
  bool Get() const { return m_bool; }

 private:
  bool m_bool;
};

class ValueLong : public Value {
 public:
  explicit ValueLong(int32_t value = 0) : Value(kLong), m_long(value) {}
  bool Parse(Cursor& cursor) override;
  void Write(std::wstring& out, bool pretty, int level, int step) const override;
  int32_t Get() const { return m_long; }

 private:
  int32_t m_long;
};

class ValueString : public Value {
 public:
  explicit ValueString(std::wstring value = {}) : Value(kString), m_string(std::move(value)) {}
  bool Parse(Cursor& cursor) override;
  void Write(std::wstring& out, bool pretty, int level, int step) const override;
  const std::wstring& Get() const { return m_string; }

 private:
  std::wstring m_string;
};

class ValueObject : public Value {
 public:
  ValueObject() : Value(kObject) {}
  bool Parse(Cursor& cursor) override;
  void Write(std::wstring& out, bool pretty, int level, int step) const override;

  Value* Find(const std::wstring& name) const;
  Value* Set(const std::wstring& name, std::unique_ptr<Value> value);
  // Swaps `child` for `replacement` under the same name; returns the new one.
  Value* Replace(const Value* child, std::unique_ptr<Value> replacement);
  size_t Size() const { return m_members.size(); }

 private:
  std::map<std::wstring, std::unique_ptr<Value>> m_members;
};

class ValueArray : public Value {
 public:
  ValueArray() : Value(kArray) {}
  bool Parse(Cursor& cursor) override;
  void Write(std::wstring& out, bool pretty, int level, int step) const override;

  Value* Append(std::unique_ptr<Value> value);
  Value* Replace(const Value* child, std::unique_ptr<Value> replacement);
  size_t Size() const { return m_items.size(); }
  Value* At(size_t index) const { return index < m_items.size() ? m_items[index].get() : nullptr; }

 private:
  std::vector<std::unique_ptr<Value>> m_items;
};

class Document : public Handle {
 public:
  Document() = default;
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;
  ~Document() override = default;

  // Replaces the root. On failure the root is empty and GetError() tells why.
  [[nodiscard]] bool Parse(std::wstring_view text);
  // The root's member; a document without an object root gets one first.
  Handle Member(const std::wstring& name);
  std::wstring ToString(bool pretty, int step) const;

  Value* Root() const { return m_root.get(); }
  const Error& GetError() const { return m_error; }

 private:
  void SetRoot(std::unique_ptr<Value> root);

  std::unique_ptr<Value> m_root;
  Error m_error;
};

// Creates an empty value for the character that starts it in a container;
// null when the character starts no value.
std::unique_ptr<Value> NewValueFor(wchar_t first);

}  // namespace UxJson
}  // namespace cf
