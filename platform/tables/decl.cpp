#include "platform/tables/decl.h"

#include "platform/text/case.h"

namespace qv::tables {

int FieldDef::recordBytes() const
{
    switch (type) {
    case FieldType::Byte:
        return 1;
    case FieldType::Short:
        return 2;
    case FieldType::Long:
        return 4;
    case FieldType::Decimal:
        return length;
    case FieldType::String:
        return length;
    }
    return 0;
}

int TableDef::recordLength() const
{
    int n = 0;
    for (const auto& f : fields)
        n += f.recordBytes();
    return n;
}

std::string_view bareName(std::string_view name)
{
    auto colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// "ALB:Artist", "alb:ARTIST" and "Artist" all name one field.
bool sameName(std::string_view a, std::string_view b)
{
    if (text::equalsNoCase(a, b))
        return true;
    bool aPrefixed = a.find(':') != std::string_view::npos;
    bool bPrefixed = b.find(':') != std::string_view::npos;
    if (aPrefixed && bPrefixed)
        return false;
    return text::equalsNoCase(bareName(a), bareName(b));
}

template <class T> static int findByName(const std::vector<T>& items, std::string_view name)
{
    for (size_t i = 0; i < items.size(); ++i)
        if (sameName(items[i].name, name))
            return static_cast<int>(i);
    return -1;
}

int TableDef::fieldIndex(std::string_view name) const
{
    return findByName(fields, name);
}
int TableDef::memoIndex(std::string_view name) const
{
    return findByName(memos, name);
}
int TableDef::keyIndex(std::string_view name) const
{
    return findByName(keys, name);
}

FieldDef byteField(std::string name)
{
    return {std::move(name), FieldType::Byte, 1, 0, LongKind::Plain};
}
FieldDef shortField(std::string name)
{
    return {std::move(name), FieldType::Short, 2, 0, LongKind::Plain};
}
FieldDef longField(std::string name, LongKind kind)
{
    return {std::move(name), FieldType::Long, 4, 0, kind};
}
FieldDef decimalField(std::string name, int bytes, int places)
{
    return {std::move(name), FieldType::Decimal, bytes, places, LongKind::Plain};
}
FieldDef stringField(std::string name, int chars)
{
    return {std::move(name), FieldType::String, chars, 0, LongKind::Plain};
}

} // namespace qv::tables
