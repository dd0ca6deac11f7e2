// Building and editing the tree: containers, handles and the document root.
#include "platform/ux_json.h"

#include <new>

namespace cf {
namespace UxJson {

Value* ValueObject::Find(const std::wstring& name) const {
  const auto it = m_members.find(name);
  return it == m_members.end() ? nullptr : it->second.get();
}

Value* ValueObject::Set(const std::wstring& name, std::unique_ptr<Value> value) {
  Value* raw = value.get();
  auto& slot = m_members[name];
  slot = std::move(value);
  raw->Attach(this, static_cast<int>(m_members.size()) - 1);  // positions matter in arrays only
  return raw;
}

Value* ValueObject::Replace(const Value* child, std::unique_ptr<Value> replacement) {
  for (auto& member : m_members) {
    if (member.second.get() == child) {
      Value* raw = replacement.get();
      raw->Attach(this, child->Index());
      member.second = std::move(replacement);
      return raw;
    }
  }
  return nullptr;
}

Value* ValueArray::Append(std::unique_ptr<Value> value) {
  // Grow in steps of five, as the stored documents are small lists.
  if (m_items.size() == m_items.capacity()) m_items.reserve(m_items.size() + 5);
  Value* raw = value.get();
  raw->Attach(this, static_cast<int>(m_items.size()));
  m_items.push_back(std::move(value));
  return raw;
}

Value* ValueArray::Replace(const Value* child, std::unique_ptr<Value> replacement) {
  for (auto& item : m_items) {
    if (item.get() == child) {
      Value* raw = replacement.get();
      raw->Attach(this, child->Index());
      item = std::move(replacement);
      return raw;
    }
  }
  return nullptr;
}

namespace {

// Puts `replacement` where `value` sits in `parent`; null when it has none.
Value* ReplaceInParent(Value* parent, const Value* value, std::unique_ptr<Value> replacement) {
  if (parent == nullptr || value == nullptr) return nullptr;
  if (parent->Type() == kObject) {
    return static_cast<ValueObject*>(parent)->Replace(value, std::move(replacement));
  }
  if (parent->Type() == kArray) {
    return static_cast<ValueArray*>(parent)->Replace(value, std::move(replacement));
  }
  return nullptr;
}

Handle MemberOf(ValueObject* object, const std::wstring& name) {
  Value* member = object->Find(name);
  if (member == nullptr) member = object->Set(name, std::make_unique<ValueNull>());
  return Handle(object, member);
}

}  // namespace

Handle Handle::Member(const std::wstring& name) {
  if (m_value == nullptr) return Handle();
  if (m_value->Type() != kObject) {
    Value* object = ReplaceInParent(m_parent, m_value, std::make_unique<ValueObject>());
    if (object == nullptr) return Handle();
    m_value = object;
  }
  return MemberOf(static_cast<ValueObject*>(m_value), name);
}

void Handle::SetLong(int32_t number) {
  Value* replaced = ReplaceInParent(m_parent, m_value, std::make_unique<ValueLong>(number));
  if (replaced != nullptr) m_value = replaced;
}

const wchar_t* Handle::GetString() const {
  if (m_value == nullptr || m_value->Type() != kString) return nullptr;
  return static_cast<const ValueString*>(m_value)->Get().c_str();
}

int32_t Handle::GetLong() const {
  if (m_value == nullptr || m_value->Type() != kLong) return 0;
  return static_cast<const ValueLong*>(m_value)->Get();
}

void Document::SetRoot(std::unique_ptr<Value> root) {
  m_root = std::move(root);
  m_parent = nullptr;
  m_value = m_root.get();
}

Handle Document::Member(const std::wstring& name) {
  if (m_root == nullptr || m_root->Type() != kObject) SetRoot(std::make_unique<ValueObject>());
  return MemberOf(static_cast<ValueObject*>(m_root.get()), name);
}

std::unique_ptr<Value> NewValueFor(wchar_t first) {
  switch (first) {
    case L'"': return std::unique_ptr<Value>(new (std::nothrow) ValueString());
    case L'[': return std::unique_ptr<Value>(new (std::nothrow) ValueArray());
    case L'{': return std::unique_ptr<Value>(new (std::nothrow) ValueObject());
    case L't':
    case L'f': return std::unique_ptr<Value>(new (std::nothrow) ValueBool());
    case L'n': return std::unique_ptr<Value>(new (std::nothrow) ValueNull());
    default:
      if (first == L'-' || (first >= L'0' && first <= L'9')) {
        return std::unique_ptr<Value>(new (std::nothrow) ValueLong());
      }
      return nullptr;
  }
}

}  // namespace UxJson
}  // namespace cf
