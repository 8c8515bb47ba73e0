#include "FbxStructure.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <set>

namespace QelFbx
{
namespace
{
constexpr size_t MAX_DEPTH = 64;
constexpr uint64_t MAX_ARRAY_ELEMENTS = 64ull * 1024 * 1024;
constexpr uint64_t MAX_FILE_SIZE = 512ull * 1024 * 1024;
constexpr char BINARY_MAGIC[] = "Kaydara FBX Binary  ";

// ---- ASCII ------------------------------------------------------------------------------

class AsciiReader
{
public:
    explicit AsciiReader(std::string_view aText) : myText(aText) {}

    bool Read(Element& aRoot, std::string& aError)
    {
        if (!ReadChildren(aRoot, 0, false))
        {
            aError = myError;
            return false;
        }
        return true;
    }

private:
    enum class Token
    {
        End,
        Key,
        Data,
        Comma,
        Open,
        Close,
        Bad,
    };

    bool Fail(const std::string& aText)
    {
        if (myError.empty())
            myError = aText + " (line " + std::to_string(myLine) + ")";
        return false;
    }

    void SkipSpace()
    {
        while (myPos < myText.size())
        {
            const char c = myText[myPos];
            if (c == '\n')
            {
                ++myLine;
                ++myPos;
            }
            else if (c == ' ' || c == '\t' || c == '\r')
                ++myPos;
            else if (c == ';')
            {
                while (myPos < myText.size() && myText[myPos] != '\n')
                    ++myPos;
            }
            else
                break;
        }
    }

    // Reads the next token into myToken/myValue (myQuoted tells strings from bare words).
    Token Next()
    {
        SkipSpace();
        myValue.clear();
        myQuoted = false;
        if (myPos >= myText.size())
            return myToken = Token::End;
        const char c = myText[myPos];
        if (c == '{')
        {
            ++myPos;
            return myToken = Token::Open;
        }
        if (c == '}')
        {
            ++myPos;
            return myToken = Token::Close;
        }
        if (c == ',')
        {
            ++myPos;
            return myToken = Token::Comma;
        }
        if (c == '"')
        {
            const size_t end = myText.find('"', myPos + 1);
            if (end == std::string_view::npos)
            {
                Fail("unterminated string");
                return myToken = Token::Bad;
            }
            for (size_t i = myPos + 1; i < end; ++i)
                if (myText[i] == '\n')
                    ++myLine;
            myValue.assign(myText.substr(myPos + 1, end - myPos - 1));
            myPos = end + 1;
            myQuoted = true;
            return myToken = Token::Data;
        }
        size_t end = myPos;
        while (end < myText.size())
        {
            const char d = myText[end];
            if (d == ' ' || d == '\t' || d == '\r' || d == '\n' || d == ',' || d == '{' || d == '}' || d == '"' ||
                d == ';' || d == ':')
                break;
            ++end;
        }
        if (end == myPos)
        {
            if (c == ':')
            {
                Fail("a ':' without a name");
                return myToken = Token::Bad;
            }
            Fail("unexpected character");
            return myToken = Token::Bad;
        }
        myValue.assign(myText.substr(myPos, end - myPos));
        myPos = end;
        if (myPos < myText.size() && myText[myPos] == ':')
        {
            ++myPos;
            return myToken = Token::Key;
        }
        return myToken = Token::Data;
    }

    bool ParseData(Property& aProperty)
    {
        if (myQuoted)
        {
            aProperty.myKind = Property::Kind::String;
            aProperty.myString = myValue;
            return true;
        }
        if (myValue[0] == '*')
        {
            char* end = nullptr;
            const unsigned long long count = std::strtoull(myValue.c_str() + 1, &end, 10);
            if (*end != '\0' || myValue.size() < 2 || count > MAX_ARRAY_ELEMENTS)
                return Fail("bad array count '" + myValue + "'");
            aProperty.myKind = Property::Kind::Array;
            aProperty.myCount = count;
            return true;
        }
        const char first = myValue[0];
        if ((first >= '0' && first <= '9') || first == '-' || first == '+' || first == '.')
        {
            char* end = nullptr;
            const bool isFloat = myValue.find_first_of(".eE") != std::string::npos ||
                                 myValue.find("inf") != std::string::npos || myValue.find("nan") != std::string::npos;
            if (isFloat)
            {
                const double value = std::strtod(myValue.c_str(), &end);
                if (*end != '\0')
                    return Fail("bad number '" + myValue + "'");
                if (!std::isfinite(value))
                    return Fail("a number that is not finite");
                aProperty.myKind = Property::Kind::Number;
                aProperty.myNumber = value;
            }
            else
            {
                errno = 0;
                const long long value = std::strtoll(myValue.c_str(), &end, 10);
                if (*end != '\0' || errno == ERANGE)
                    return Fail("bad number '" + myValue + "'");
                aProperty.myKind = Property::Kind::Integer;
                aProperty.myInteger = value;
            }
            return true;
        }
        // Bare words such as T, Y or W are single-character flags.
        aProperty.myKind = Property::Kind::String;
        aProperty.myString = myValue;
        return true;
    }

    // Reads elements until the closing brace (or the end of the text at the top level).
    bool ReadChildren(Element& aParent, size_t aDepth, bool aInBlock)
    {
        if (aDepth > MAX_DEPTH)
            return Fail("blocks nested too deeply");
        Next();
        while (true)
        {
            if (myToken == Token::Bad)
                return false;
            if (myToken == Token::End)
                return aInBlock ? Fail("the file ends inside a block") : true;
            if (myToken == Token::Close)
                return aInBlock ? true : Fail("a '}' without its '{'");
            if (myToken != Token::Key)
                return Fail("expected a name, found '" + myValue + "'");
            if (++myElementCount > 50'000'000)
                return Fail("too many elements");
            auto element = std::make_unique<Element>();
            element->myName = myValue;
            Next();
            // Properties: data separated by commas.
            while (myToken == Token::Data)
            {
                Property property;
                if (!ParseData(property))
                    return false;
                element->myProperties.push_back(std::move(property));
                Next();
                if (myToken != Token::Comma)
                    break;
                Next();
                if (myToken != Token::Data)
                    return Fail("a ',' without a value after it");
            }
            if (myToken == Token::Bad)
                return false;
            if (myToken == Token::Open)
            {
                if (!ReadChildren(*element, aDepth + 1, true))
                    return false;
                Next();
            }
            if (!CheckArray(*element))
                return false;
            aParent.myChildren.push_back(std::move(element));
        }
    }

    // "Name: *N { a: v, ... }": the values must be N numbers.
    bool CheckArray(Element& aElement)
    {
        if (aElement.myProperties.size() != 1 || aElement.myProperties[0].myKind != Property::Kind::Array)
        {
            for (const Property& property : aElement.myProperties)
                if (property.myKind == Property::Kind::Array)
                    return Fail("an array count in the wrong place");
            return true;
        }
        Property& array = aElement.myProperties[0];
        const Element* values = aElement.Find("a");
        const size_t found = values ? values->myProperties.size() : 0;
        if (found != array.myCount)
            return Fail("array " + aElement.myName + " holds " + std::to_string(found) + " values, not " +
                        std::to_string(array.myCount));
        array.myValues.reserve(found);
        for (size_t i = 0; i < found; ++i)
        {
            const Property& value = values->myProperties[i];
            if (value.myKind != Property::Kind::Integer && value.myKind != Property::Kind::Number)
                return Fail("array " + aElement.myName + " holds a value that is not a number");
            array.myValues.push_back(value.AsNumber());
        }
        array.myHasValues = true;
        return true;
    }

    std::string_view myText;
    size_t myPos = 0;
    size_t myLine = 1;
    Token myToken = Token::End;
    std::string myValue;
    bool myQuoted = false;
    std::string myError;
    size_t myElementCount = 0;
};

// ---- binary -----------------------------------------------------------------------------

class BinaryReader
{
public:
    explicit BinaryReader(std::string_view aBytes) : myBytes(aBytes) {}

    bool Read(Element& aRoot, uint32_t& aVersion, std::string& aError)
    {
        if (myBytes.size() < 27)
            return Set(aError, "the binary header is truncated");
        std::memcpy(&aVersion, myBytes.data() + 23, 4);
        myWide = aVersion >= 7500;
        size_t pos = 27;
        while (true)
        {
            bool isNull = false;
            auto element = std::make_unique<Element>();
            if (!ReadRecord(pos, *element, 0, isNull))
                return Set(aError, myError);
            if (isNull)
                break;
            aRoot.myChildren.push_back(std::move(element));
            // A footer follows the top-level null record; nothing after it is read.
            if (pos >= myBytes.size())
                break;
        }
        return true;
    }

private:
    static bool Set(std::string& aError, const std::string& aText)
    {
        aError = aText;
        return false;
    }
    bool Fail(const std::string& aText)
    {
        if (myError.empty())
            myError = aText;
        return false;
    }

    template <typename T>
    bool Take(size_t& aPos, T& aValue)
    {
        if (aPos > myBytes.size() || myBytes.size() - aPos < sizeof(T))
            return Fail("a record runs past the end of the file");
        std::memcpy(&aValue, myBytes.data() + aPos, sizeof(T));
        aPos += sizeof(T);
        return true;
    }

    bool TakeOffset(size_t& aPos, uint64_t& aValue)
    {
        if (myWide)
            return Take(aPos, aValue);
        uint32_t narrow = 0;
        if (!Take(aPos, narrow))
            return false;
        aValue = narrow;
        return true;
    }

    bool ReadRecord(size_t& aPos, Element& aElement, size_t aDepth, bool& aIsNull)
    {
        if (aDepth > MAX_DEPTH)
            return Fail("records nested too deeply");
        if (++myRecordCount > 50'000'000)
            return Fail("too many records");
        const size_t start = aPos;
        uint64_t end = 0, propertyCount = 0, propertyBytes = 0;
        uint8_t nameLength = 0;
        if (!TakeOffset(aPos, end) || !TakeOffset(aPos, propertyCount) || !TakeOffset(aPos, propertyBytes) ||
            !Take(aPos, nameLength))
            return false;
        if (end == 0 && propertyCount == 0 && propertyBytes == 0 && nameLength == 0)
        {
            aIsNull = true;
            return true;
        }
        if (end > myBytes.size() || end <= start)
            return Fail("a record's end offset is out of range");
        if (nameLength > end - aPos)
            return Fail("a record's name runs past its end");
        aElement.myName.assign(myBytes.substr(aPos, nameLength));
        aPos += nameLength;
        const size_t propertiesStart = aPos;
        if (propertyBytes > end - aPos)
            return Fail("a record's properties run past its end");
        if (propertyCount > propertyBytes)
            return Fail("a record claims more properties than bytes");
        for (uint64_t i = 0; i < propertyCount; ++i)
        {
            Property property;
            if (!ReadProperty(aPos, propertiesStart + propertyBytes, property))
                return false;
            aElement.myProperties.push_back(std::move(property));
        }
        if (aPos != propertiesStart + propertyBytes)
            return Fail("a record's property list has the wrong length");
        // Nested records up to the end offset, closed by a null record.
        if (aPos < end)
        {
            while (true)
            {
                bool isNull = false;
                auto child = std::make_unique<Element>();
                if (!ReadRecord(aPos, *child, aDepth + 1, isNull))
                    return false;
                if (aPos > end)
                    return Fail("a nested record runs past its parent");
                if (isNull)
                    break;
                aElement.myChildren.push_back(std::move(child));
                if (aPos >= end)
                    return Fail("nested records without their closing null record");
            }
            if (aPos != end)
                return Fail("a record's end offset does not match its contents");
        }
        return true;
    }

    bool ReadProperty(size_t& aPos, size_t aEnd, Property& aProperty)
    {
        char type = 0;
        if (!Take(aPos, type))
            return false;
        auto integer = [&](auto aValue) {
            if (!Take(aPos, aValue))
                return false;
            aProperty.myKind = Property::Kind::Integer;
            aProperty.myInteger = static_cast<int64_t>(aValue);
            return true;
        };
        auto number = [&](auto aValue) {
            if (!Take(aPos, aValue))
                return false;
            if (!std::isfinite(static_cast<double>(aValue)))
                return Fail("a number that is not finite");
            aProperty.myKind = Property::Kind::Number;
            aProperty.myNumber = static_cast<double>(aValue);
            return true;
        };
        bool ok = false;
        switch (type)
        {
        case 'Y': ok = integer(int16_t{}); break;
        case 'C': ok = integer(uint8_t{}); break;
        case 'I': ok = integer(int32_t{}); break;
        case 'L': ok = integer(int64_t{}); break;
        case 'F': ok = number(float{}); break;
        case 'D': ok = number(double{}); break;
        case 'S':
        case 'R':
        {
            uint32_t length = 0;
            if (!Take(aPos, length))
                return false;
            if (length > aEnd - aPos)
                return Fail("a string runs past its record");
            aProperty.myKind = Property::Kind::String;
            if (type == 'S')
                aProperty.myString.assign(myBytes.substr(aPos, length));
            aPos += length;
            ok = true;
            break;
        }
        case 'f':
        case 'd':
        case 'l':
        case 'i':
        case 'b':
        {
            uint32_t count = 0, encoding = 0, length = 0;
            if (!Take(aPos, count) || !Take(aPos, encoding) || !Take(aPos, length))
                return false;
            if (length > aEnd - aPos)
                return Fail("an array runs past its record");
            if (count > MAX_ARRAY_ELEMENTS)
                return Fail("an array is too long");
            const size_t size = type == 'd' || type == 'l' ? 8 : type == 'b' ? 1 : 4;
            aProperty.myKind = Property::Kind::Array;
            aProperty.myCount = count;
            if (encoding == 0)
            {
                if (static_cast<uint64_t>(count) * size != length)
                    return Fail("an array's length does not match its count");
                aProperty.myValues.resize(count);
                const char* data = myBytes.data() + aPos;
                for (uint32_t k = 0; k < count; ++k)
                {
                    double value = 0.0;
                    if (type == 'f') { float v; std::memcpy(&v, data + 4 * k, 4); value = v; }
                    else if (type == 'd') { double v; std::memcpy(&v, data + 8 * k, 8); value = v; }
                    else if (type == 'l') { int64_t v; std::memcpy(&v, data + 8 * k, 8); value = static_cast<double>(v); }
                    else if (type == 'i') { int32_t v; std::memcpy(&v, data + 4 * k, 4); value = v; }
                    else value = static_cast<uint8_t>(data[k]);
                    if (!std::isfinite(value))
                        return Fail("a number that is not finite");
                    aProperty.myValues[k] = value;
                }
                aProperty.myHasValues = true;
            }
            else if (encoding != 1)
                return Fail("an array with an unknown encoding");
            else if (length < 2)
                return Fail("a compressed array is truncated");
            aPos += length;
            ok = true;
            break;
        }
        default:
            return Fail(std::string("a property of unknown type '") + (type >= 32 && type < 127 ? type : '?') + "'");
        }
        return ok;
    }

    std::string_view myBytes;
    bool myWide = false;
    std::string myError;
    size_t myRecordCount = 0;
};

// ---- meaning ----------------------------------------------------------------------------

std::string StripPrefix(const std::string& aName, const char* aPrefix, bool aBinary)
{
    if (aBinary)
    {
        // Binary names read "Name\0\1Class".
        const size_t separator = aName.find(std::string("\0\1", 2));
        return separator == std::string::npos ? aName : aName.substr(0, separator);
    }
    const size_t length = std::strlen(aPrefix);
    return aName.compare(0, length, aPrefix) == 0 ? aName.substr(length) : aName;
}

const Property* PropertyAt(const Element& aElement, size_t aIndex)
{
    return aIndex < aElement.myProperties.size() ? &aElement.myProperties[aIndex] : nullptr;
}

std::string StringAt(const Element& aElement, size_t aIndex)
{
    const Property* property = PropertyAt(aElement, aIndex);
    return property && property->myKind == Property::Kind::String ? property->myString : std::string();
}

bool IdAt(const Element& aElement, size_t aIndex, int64_t& aId)
{
    const Property* property = PropertyAt(aElement, aIndex);
    if (!property || property->myKind != Property::Kind::Integer)
        return false;
    aId = property->myInteger;
    return true;
}

// "P" entries of Properties70 (or "Property" of Properties60): name, type, flags, value...
const Element* FindP(const Element& aObject, std::string_view aName)
{
    for (const char* block : {"Properties70", "Properties60"})
        if (const Element* properties = aObject.Find(block))
            for (const auto& p : properties->myChildren)
                if ((p->myName == "P" || p->myName == "Property") && StringAt(*p, 0) == aName)
                    return p.get();
    return nullptr;
}

bool NumberP(const Element& aObject, std::string_view aName, size_t aValueIndex, double& aValue)
{
    const Element* p = FindP(aObject, aName);
    if (!p)
        return false;
    const Property* value = PropertyAt(*p, aValueIndex);
    if (!value || (value->myKind != Property::Kind::Integer && value->myKind != Property::Kind::Number))
        return false;
    aValue = value->AsNumber();
    return true;
}

const Property* ArrayOf(const Element& aObject, std::string_view aName)
{
    const Element* element = aObject.Find(aName);
    return element ? element->GetArray() : nullptr;
}

struct Connection
{
    std::string myType;
    int64_t myChild = 0;
    int64_t myParent = 0;
};

// A layer element's arrays must cover what its mapping needs and its indices must stay in range.
bool CheckLayerElement(const Element& aLayer, const char* aData, const char* aIndex, size_t aComponents,
                       uint64_t aPoints, uint64_t aCorners, uint64_t aPolygons, std::string& aError)
{
    const std::string mapping = aLayer.Find("MappingInformationType")
                                    ? StringAt(*aLayer.Find("MappingInformationType"), 0)
                                    : std::string();
    const std::string reference = aLayer.Find("ReferenceInformationType")
                                      ? StringAt(*aLayer.Find("ReferenceInformationType"), 0)
                                      : std::string();
    const Property* data = ArrayOf(aLayer, aData);
    if (!data)
        return true;   // Assimp skips a layer without data
    if (data->myCount % aComponents != 0)
    {
        aError = aLayer.myName + " data is not a whole number of values";
        return false;
    }
    const uint64_t entries = data->myCount / aComponents;
    uint64_t needed = 0;
    if (mapping == "ByPolygonVertex")
        needed = aCorners;
    else if (mapping == "ByVertice" || mapping == "ByVertex" || mapping == "ByControlPoint")
        needed = aPoints;
    else if (mapping == "ByPolygon")
        needed = aPolygons;
    else if (mapping == "AllSame")
        needed = 1;
    else
        return true;
    if (reference == "IndexToDirect" || reference == "Index")
    {
        const Property* index = aIndex ? ArrayOf(aLayer, aIndex) : nullptr;
        if (!index)
        {
            aError = aLayer.myName + " has no index array";
            return false;
        }
        if (index->myCount < needed)
        {
            aError = aLayer.myName + " has fewer indices than its mapping needs";
            return false;
        }
        if (index->myHasValues)
            for (double value : index->myValues)
                if (value < -1.0 || value >= static_cast<double>(entries))
                {
                    aError = aLayer.myName + " has an index past its data";
                    return false;
                }
        return true;
    }
    if (entries < needed)
    {
        aError = aLayer.myName + " has fewer values than its mapping needs";
        return false;
    }
    return true;
}

bool CheckGeometry(const Element& aGeometry, uint64_t aMaterialSlots, std::string& aError, uint64_t& aPoints)
{
    const Property* vertices = ArrayOf(aGeometry, "Vertices");
    const Property* polygons = ArrayOf(aGeometry, "PolygonVertexIndex");
    aPoints = 0;
    if (!vertices && !polygons)
        return true;
    if (!vertices || !polygons)
    {
        aError = "a mesh without its vertices or polygons";
        return false;
    }
    if (vertices->myCount % 3 != 0)
    {
        aError = "a mesh whose vertex array is not a whole number of points";
        return false;
    }
    aPoints = vertices->myCount / 3;
    uint64_t corners = polygons->myCount, polygonCount = 0;
    if (polygons->myHasValues)
    {
        size_t sinceStart = 0;
        for (double raw : polygons->myValues)
        {
            const double index = raw < 0 ? -raw - 1 : raw;
            if (index >= static_cast<double>(aPoints))
            {
                aError = "a polygon names a vertex the mesh does not have";
                return false;
            }
            ++sinceStart;
            if (raw < 0)
            {
                ++polygonCount;
                sinceStart = 0;
            }
        }
        if (sinceStart != 0)
        {
            aError = "the last polygon of a mesh is not closed";
            return false;
        }
    }
    struct Layer
    {
        const char* myName;
        const char* myData;
        const char* myIndex;
        size_t myComponents;
    };
    const Layer layers[] = {{"LayerElementNormal", "Normals", "NormalsIndex", 3},
                            {"LayerElementTangent", "Tangents", "TangentsIndex", 3},
                            {"LayerElementBinormal", "Binormals", "BinormalsIndex", 3},
                            {"LayerElementUV", "UV", "UVIndex", 2},
                            {"LayerElementColor", "Colors", "ColorIndex", 4}};
    for (const auto& child : aGeometry.myChildren)
    {
        for (const Layer& layer : layers)
            if (child->myName == layer.myName &&
                !CheckLayerElement(*child, layer.myData, layer.myIndex, layer.myComponents, aPoints, corners,
                                   polygonCount, aError))
                return false;
        if (child->myName == "LayerElementMaterial")
            if (const Property* materials = ArrayOf(*child, "Materials"))
            {
                const std::string mapping = child->Find("MappingInformationType")
                                                ? StringAt(*child->Find("MappingInformationType"), 0)
                                                : std::string();
                if (mapping == "ByPolygon" && polygons->myHasValues && materials->myCount < polygonCount)
                {
                    aError = "a mesh has fewer material entries than polygons";
                    return false;
                }
                if (materials->myHasValues)
                    for (double slot : materials->myValues)
                        if (slot < 0 || (aMaterialSlots > 0 && slot >= static_cast<double>(aMaterialSlots)) ||
                            slot > 1023)
                        {
                            aError = "a polygon names a material slot the mesh does not have";
                            return false;
                        }
            }
    }
    return true;
}
}

const Element* Element::Find(std::string_view aName) const
{
    for (const auto& child : myChildren)
        if (child->myName == aName)
            return child.get();
    return nullptr;
}

const Property* Element::GetArray() const
{
    if (!myProperties.empty() && myProperties[0].myKind == Property::Kind::Array)
        return &myProperties[0];
    return nullptr;
}

bool IsJointClass(std::string_view aClass)
{
    return aClass == "LimbNode" || aClass == "Limb" || aClass == "Root" || aClass == "Effector";
}

double FrameRateOfTimeMode(int aTimeMode, double aCustomFrameRate)
{
    switch (aTimeMode)
    {
    case 1: return 120.0;
    case 2: return 100.0;
    case 3: return 60.0;
    case 4: return 50.0;
    case 5: return 48.0;
    case 6:
    case 7: return 30.0;
    case 8:
    case 9: return 29.9700262;
    case 10: return 25.0;
    case 11: return 24.0;
    case 12: return 1000.0;
    case 13: return 23.976;
    case 14: return aCustomFrameRate > 0.0 && std::isfinite(aCustomFrameRate) ? aCustomFrameRate : 30.0;
    case 15: return 96.0;
    case 16: return 72.0;
    case 17: return 59.94;
    case 18: return 119.88;
    default: return 30.0;
    }
}

bool LooksLikeFbx(std::string_view aBytes)
{
    if (aBytes.size() >= 23 && aBytes.compare(0, 20, BINARY_MAGIC) == 0)
        return true;
    const std::string_view head = aBytes.substr(0, 1024);
    size_t start = 0;
    while (start < head.size() && (head[start] == ' ' || head[start] == '\t' || head[start] == '\r' ||
                                   head[start] == '\n' || static_cast<unsigned char>(head[start]) == 0xEF ||
                                   static_cast<unsigned char>(head[start]) == 0xBB ||
                                   static_cast<unsigned char>(head[start]) == 0xBF))
        ++start;
    return head.find("FBXHeaderExtension") != std::string_view::npos || head.compare(start, 5, "; FBX") == 0;
}

bool ReadStructure(std::string_view aBytes, FileInfo& aInfo, std::string& aError)
{
    aInfo = FileInfo();
    if (aBytes.empty())
    {
        aError = "the file is empty";
        return false;
    }
    if (!LooksLikeFbx(aBytes))
    {
        aError = "not an FBX file";
        return false;
    }
    if (aBytes.size() > MAX_FILE_SIZE)
    {
        aError = "the file is too large";
        return false;
    }
    Element root;
    aInfo.myIsBinary = aBytes.compare(0, 20, BINARY_MAGIC) == 0;
    if (aInfo.myIsBinary)
    {
        BinaryReader reader(aBytes);
        if (!reader.Read(root, aInfo.myVersion, aError))
            return false;
    }
    else
    {
        AsciiReader reader(aBytes);
        if (!reader.Read(root, aError))
            return false;
        if (const Element* header = root.Find("FBXHeaderExtension"))
            if (const Element* version = header->Find("FBXVersion"))
                if (const Property* value = PropertyAt(*version, 0))
                    aInfo.myVersion = static_cast<uint32_t>(value->AsInteger());
    }
    if (!root.Find("Objects") && !root.Find("FBXHeaderExtension"))
    {
        aError = "the file has no FBX sections";
        return false;
    }

    if (const Element* settings = root.Find("GlobalSettings"))
    {
        double value = 0.0;
        if (NumberP(*settings, "TimeMode", 4, value))
            aInfo.myTimeMode = static_cast<int>(value);
        if (NumberP(*settings, "CustomFrameRate", 4, value))
            aInfo.myCustomFrameRate = value;
        if (NumberP(*settings, "UnitScaleFactor", 4, value))
        {
            if (!(value > 0.0) || value > 1e6)
            {
                aError = "the unit scale factor is not a positive size";
                return false;
            }
            aInfo.myUnitScaleFactor = value;
        }
    }

    std::vector<Connection> connections;
    if (const Element* block = root.Find("Connections"))
        for (const auto& c : block->myChildren)
        {
            Connection connection;
            connection.myType = StringAt(*c, 0);
            if ((c->myName == "C" || c->myName == "Connect") && IdAt(*c, 1, connection.myChild) &&
                IdAt(*c, 2, connection.myParent))
                connections.push_back(connection);
        }

    const Element* objects = root.Find("Objects");
    std::map<int64_t, const Element*> byId;
    std::map<int64_t, std::string> modelNames, materialNames;
    std::set<int64_t> lodAttributes, geometries, clusters, skins;
    if (objects)
        for (const auto& object : objects->myChildren)
        {
            int64_t id = 0;
            if (!IdAt(*object, 0, id))
                continue;
            byId[id] = object.get();
            const std::string name = StringAt(*object, 1);
            const std::string kind = StringAt(*object, 2);
            if (object->myName == "Model")
            {
                ModelInfo model{id, StripPrefix(name, "Model::", aInfo.myIsBinary), kind};
                modelNames[id] = model.myName;
                aInfo.myClassByName[model.myName] = kind;
                aInfo.myModels.push_back(model);
            }
            else if (object->myName == "Material")
            {
                materialNames[id] = StripPrefix(name, "Material::", aInfo.myIsBinary);
                aInfo.myMaterials.push_back(materialNames[id]);
            }
            else if (object->myName == "NodeAttribute" && (kind == "LODGroup" || kind == "LodGroup"))
                lodAttributes.insert(id);
            else if (object->myName == "Geometry" && kind == "Mesh")
                geometries.insert(id);
            else if (object->myName == "Deformer" && kind == "Cluster")
                clusters.insert(id);
            else if (object->myName == "Deformer" && kind == "Skin")
                skins.insert(id);
            else if (object->myName == "AnimationStack")
            {
                StackInfo stack;
                stack.myName = StripPrefix(name, "AnimStack::", aInfo.myIsBinary);
                double value = 0.0;
                if (NumberP(*object, "LocalStart", 4, value))
                    stack.myLocalStart = static_cast<int64_t>(value);
                if (NumberP(*object, "LocalStop", 4, value))
                    stack.myLocalStop = static_cast<int64_t>(value);
                aInfo.myStacks.push_back(stack);
            }
            else if (object->myName == "AnimationCurve")
            {
                const Property* times = ArrayOf(*object, "KeyTime");
                const Property* values = ArrayOf(*object, "KeyValueFloat");
                if ((times != nullptr) != (values != nullptr) || (times && times->myCount != values->myCount))
                {
                    aError = "an animation curve whose key times and values do not pair up";
                    return false;
                }
            }
        }

    std::map<int64_t, uint64_t> materialSlotsOfModel;
    std::map<int64_t, int64_t> modelOfGeometry, geometryOfSkin, skinOfCluster;
    for (const Connection& c : connections)
    {
        if (c.myType != "OO")
            continue;
        const auto model = modelNames.find(c.myParent);
        if (model != modelNames.end())
        {
            if (const auto material = materialNames.find(c.myChild); material != materialNames.end())
            {
                aInfo.myMaterialsByModel[model->second].push_back(material->second);
                ++materialSlotsOfModel[c.myParent];
            }
            if (geometries.count(c.myChild))
                modelOfGeometry[c.myChild] = c.myParent;
            if (lodAttributes.count(c.myChild))
            {
                std::vector<float>& thresholds = aInfo.myLodThresholds[model->second];
                const Element* attribute = byId[c.myChild];
                for (int level = 0; level < 64; ++level)
                {
                    double value = 0.0;
                    if (!NumberP(*attribute, "Thresholds|Level" + std::to_string(level), 4, value))
                        break;
                    thresholds.push_back(static_cast<float>(value));
                }
            }
        }
        if (skins.count(c.myChild) && geometries.count(c.myParent))
            geometryOfSkin[c.myChild] = c.myParent;
        if (clusters.count(c.myChild) && skins.count(c.myParent))
            skinOfCluster[c.myChild] = c.myParent;
    }

    std::map<int64_t, uint64_t> pointsOfGeometry;
    for (int64_t id : geometries)
    {
        const auto owner = modelOfGeometry.find(id);
        const uint64_t slots = owner == modelOfGeometry.end() ? 0 : materialSlotsOfModel[owner->second];
        uint64_t points = 0;
        if (!CheckGeometry(*byId[id], slots, aError, points))
            return false;
        pointsOfGeometry[id] = points;
    }
    for (int64_t id : clusters)
    {
        const Element& cluster = *byId[id];
        const Property* indexes = ArrayOf(cluster, "Indexes");
        const Property* weights = ArrayOf(cluster, "Weights");
        if ((indexes != nullptr) != (weights != nullptr) || (indexes && indexes->myCount != weights->myCount))
        {
            aError = "a skin cluster whose indices and weights do not pair up";
            return false;
        }
        for (const char* matrix : {"Transform", "TransformLink"})
            if (const Property* values = ArrayOf(cluster, matrix); values && values->myCount != 16)
            {
                aError = std::string("a skin cluster's ") + matrix + " is not a 4 x 4 matrix";
                return false;
            }
        uint64_t points = std::numeric_limits<uint64_t>::max();
        if (const auto skin = skinOfCluster.find(id); skin != skinOfCluster.end())
            if (const auto geometry = geometryOfSkin.find(skin->second); geometry != geometryOfSkin.end())
                points = pointsOfGeometry[geometry->second];
        if (indexes && indexes->myHasValues)
            for (double index : indexes->myValues)
                if (index < 0 || index >= static_cast<double>(points))
                {
                    aError = "a skin cluster names a vertex the mesh does not have";
                    return false;
                }
    }
    return true;
}

bool ReadStructureFile(const std::string& aPath, FileInfo& aInfo, std::string& aError)
{
    std::ifstream file(aPath, std::ios::binary | std::ios::ate);
    if (!file)
    {
        aError = "the file cannot be opened";
        return false;
    }
    const std::streamoff size = file.tellg();
    if (size < 0 || static_cast<uint64_t>(size) > MAX_FILE_SIZE)
    {
        aError = size < 0 ? "the file cannot be read" : "the file is too large";
        return false;
    }
    std::string bytes(static_cast<size_t>(size), '\0');
    file.seekg(0);
    file.read(bytes.data(), size);
    if (file.gcount() != size)
    {
        aError = "the file cannot be read";
        return false;
    }
    return ReadStructure(bytes, aInfo, aError);
}
}
