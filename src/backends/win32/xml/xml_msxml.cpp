// XML seam over the MSXML 6 DOM document and SAX reader, created in-process through COM. A file
// is read into memory here and handed to MSXML as bytes, so MSXML settles its encoding
// (byte-order mark, then declaration) and no path is ever taken for a URL. mingw-w64 ships the
// MSXML 2 to 4 interfaces only; MSXML 6 has the same ones, so its class id is given here.
#include <windows.h>

#include <msxml2.h>
#include <oleauto.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

#include "platform/xml.h"

namespace XPL::PLATFORM {

namespace {

// DOMDocument60 and IXMLDOMDocument2.
constexpr GUID kClsidDomDocument60 = {
    0x88D96A05, 0xF192, 0x11D4, {0xA6, 0x5F, 0x00, 0x40, 0x96, 0x32, 0x51, 0xE5}};
constexpr GUID kIidXmlDomDocument2 = {
    0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr GUID kIidXmlDomElement = {
    0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// An owned BSTR.
class CBstr {
public:
    CBstr() = default;
    explicit CBstr(std::wstring_view text)
        : value_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~CBstr() { ::SysFreeString(value_); }
    CBstr(const CBstr&) = delete;
    CBstr& operator=(const CBstr&) = delete;

    BSTR Get() const { return value_; }
    BSTR* Out() {
        ::SysFreeString(value_);
        value_ = nullptr;
        return &value_;
    }
    std::wstring Text() const {
        return value_ != nullptr ? std::wstring(value_, ::SysStringLen(value_)) : std::wstring();
    }

private:
    BSTR value_ = nullptr;
};

// An owned VARIANT.
class CVariant {
public:
    CVariant() { ::VariantInit(&value_); }
    ~CVariant() { ::VariantClear(&value_); }
    CVariant(const CVariant&) = delete;
    CVariant& operator=(const CVariant&) = delete;

    VARIANT& Get() { return value_; }
    static void SetText(VARIANT& variant, std::wstring_view text) {
        variant.vt = VT_BSTR;
        variant.bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }

private:
    VARIANT value_;
};

// An owned interface pointer.
template <class T>
class CComRef {
public:
    CComRef() = default;
    explicit CComRef(T* p) : p_(p) {}
    ~CComRef() {
        if (p_ != nullptr) {
            p_->Release();
        }
    }
    CComRef(const CComRef&) = delete;
    CComRef& operator=(const CComRef&) = delete;
    CComRef(CComRef&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    T** Out() { return &p_; }
    T* Detach() { return std::exchange(p_, nullptr); }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

struct Document {
    IXMLDOMDocument2* doc = nullptr;
    bool comInitialized = false;  // this document's CoInitializeEx is to be balanced
};

XmlStatus Failure(std::wstring message, uint32_t code = 0) {
    return XmlStatus{false, code, std::move(message)};
}

std::wstring Hex(HRESULT result) {
    wchar_t text[16];
    ::swprintf(text, 16, L"0x%08lx", static_cast<unsigned long>(result));
    return text;
}

// The description COM left for the calling thread, or the status in hex.
std::wstring ErrorText(HRESULT result) {
    CComRef<IErrorInfo> info;
    CBstr description;
    if (::GetErrorInfo(0, info.Out()) == S_OK && info &&
        SUCCEEDED(info->GetDescription(description.Out())) && !description.Text().empty()) {
        std::wstring text = description.Text();
        while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) {
            text.pop_back();
        }
        return text + L" (" + Hex(result) + L")";
    }
    return Hex(result);
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

DOMNodeType TypeOf(IXMLDOMNode* node) {
    DOMNodeType type = NODE_INVALID;
    if (node == nullptr || FAILED(node->get_nodeType(&type))) {
        return NODE_INVALID;
    }
    return type;
}

void AppendText(IXMLDOMNode* node, std::wstring& text) {
    const DOMNodeType type = TypeOf(node);
    if (type == NODE_TEXT || type == NODE_CDATA_SECTION) {
        CVariant value;
        if (SUCCEEDED(node->get_nodeValue(&value.Get())) && value.Get().vt == VT_BSTR) {
            text.append(value.Get().bstrVal, ::SysStringLen(value.Get().bstrVal));
        }
        return;
    }
    if (type != NODE_ELEMENT && type != NODE_DOCUMENT) {
        return;
    }
    CComRef<IXMLDOMNode> child;
    node->get_firstChild(child.Out());
    while (child) {
        AppendText(child.Get(), text);
        CComRef<IXMLDOMNode> next;
        child->get_nextSibling(next.Out());
        std::swap(*child.Out(), *next.Out());
    }
}

CComRef<IXMLDOMElement> AsElement(IXMLDOMNode* node) {
    CComRef<IXMLDOMElement> element;
    if (TypeOf(node) == NODE_ELEMENT) {
        node->QueryInterface(kIidXmlDomElement, reinterpret_cast<void**>(element.Out()));
    }
    return element;
}

// Empties the document, as a failed load does.
void Clear(IXMLDOMDocument2* doc) {
    VARIANT_BOOL ignored = VARIANT_FALSE;
    const CBstr empty(L"");
    doc->loadXML(empty.Get(), &ignored);
}

// Read the file into a byte array for MSXML's load.
XmlStatus ReadFile(std::wstring_view path, std::string& bytes) {
    std::ifstream file(std::filesystem::path(std::wstring(path)), std::ios::binary);
    if (!file) {
        return Failure(L"the file cannot be opened");
    }
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad()) {
        return Failure(L"the file cannot be read");
    }
    return {};
}

}  // namespace

struct XmlBackend {
    static Document* Doc(const CXmlDocument& document) {
        return static_cast<Document*>(document.impl_);
    }
    static IXMLDOMNode* Node(const CXmlNode& node) {
        return static_cast<IXMLDOMNode*>(node.handle_);
    }
    // Takes over one reference.
    static CXmlNode Adopt(IXMLDOMNode* node) { return CXmlNode(node); }

    // Why the last load failed, from the document's parse error; line receives where.
    static std::wstring ParseErrorText(IXMLDOMDocument2* doc, uint32_t& errorLine) {
        CComRef<IXMLDOMParseError> error;
        if (FAILED(doc->get_parseError(error.Out())) || !error) {
            return L"the document did not load";
        }
        CBstr reason;
        long line = 0;
        long column = 0;
        error->get_reason(reason.Out());
        error->get_line(&line);
        error->get_linepos(&column);
        std::wstring text = reason.Text();
        while (!text.empty() && IsBlank(text.back())) {
            text.pop_back();
        }
        if (text.empty()) {
            text = L"the document did not load";
        }
        errorLine = line > 0 ? static_cast<uint32_t>(line) : 0;
        return text + L" at line " + std::to_wstring(line) + L", column " + std::to_wstring(column);
    }

    static XmlStatus Finish(IXMLDOMDocument2* doc, HRESULT result, VARIANT_BOOL loaded) {
        if (result == S_OK && loaded == VARIANT_TRUE) {
            CComRef<IXMLDOMElement> root;
            if (SUCCEEDED(doc->get_documentElement(root.Out())) && root) {
                return {};
            }
            return Failure(L"no root element");
        }
        if (FAILED(result)) {
            return Failure(ErrorText(result), static_cast<uint32_t>(result));
        }
        uint32_t line = 0;
        XmlStatus failure = Failure(ParseErrorText(doc, line));
        failure.line = line;
        return failure;
    }
};

CXmlNode::CXmlNode(const CXmlNode& other) : handle_(other.handle_) {
    if (IXMLDOMNode* node = XmlBackend::Node(*this)) {
        node->AddRef();
    }
}

CXmlNode::CXmlNode(CXmlNode&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

CXmlNode& CXmlNode::operator=(const CXmlNode& other) {
    if (this != &other) {
        CXmlNode copy(other);
        std::swap(handle_, copy.handle_);
    }
    return *this;
}

CXmlNode& CXmlNode::operator=(CXmlNode&& other) noexcept {
    if (this != &other) {
        CXmlNode taken(std::move(other));
        std::swap(handle_, taken.handle_);
    }
    return *this;
}

CXmlNode::~CXmlNode() {
    if (IXMLDOMNode* node = XmlBackend::Node(*this)) {
        node->Release();
    }
}

XmlNodeType CXmlNode::Type() const {
    switch (TypeOf(XmlBackend::Node(*this))) {
        case NODE_ELEMENT:
            return XmlNodeType::Element;
        case NODE_TEXT:
            return XmlNodeType::Text;
        case NODE_CDATA_SECTION:
            return XmlNodeType::CData;
        case NODE_COMMENT:
            return XmlNodeType::Comment;
        case NODE_PROCESSING_INSTRUCTION:
            return XmlNodeType::ProcessingInstruction;
        case NODE_DOCUMENT:
            return XmlNodeType::Document;
        default:
            return XmlNodeType::Other;
    }
}

std::wstring CXmlNode::Name() const {
    IXMLDOMNode* node = XmlBackend::Node(*this);
    CBstr name;
    if (node == nullptr || FAILED(node->get_nodeName(name.Out()))) {
        return {};
    }
    return name.Text();
}

std::wstring CXmlNode::Text() const {
    std::wstring text;
    AppendText(XmlBackend::Node(*this), text);
    return TrimXmlWhiteSpace(text);
}

std::vector<CXmlNode> CXmlNode::Children() const {
    std::vector<CXmlNode> children;
    IXMLDOMNode* node = XmlBackend::Node(*this);
    if (node == nullptr) {
        return children;
    }
    IXMLDOMNode* child = nullptr;
    node->get_firstChild(&child);
    while (child != nullptr) {
        children.push_back(XmlBackend::Adopt(child));
        IXMLDOMNode* next = nullptr;
        child->get_nextSibling(&next);
        child = next;
    }
    return children;
}

bool CXmlNode::HasAttributes() const {
    IXMLDOMNode* node = XmlBackend::Node(*this);
    if (TypeOf(node) != NODE_ELEMENT) {
        return false;
    }
    CComRef<IXMLDOMNamedNodeMap> attributes;
    long count = 0;
    return node->get_attributes(attributes.Out()) == S_OK && attributes &&
           SUCCEEDED(attributes->get_length(&count)) && count > 0;
}

std::optional<std::wstring> CXmlNode::GetAttribute(std::wstring_view name) const {
    const CComRef<IXMLDOMElement> element = AsElement(XmlBackend::Node(*this));
    if (!element) {
        return std::nullopt;
    }
    const CBstr key(name);
    CVariant value;
    if (element->getAttribute(key.Get(), &value.Get()) != S_OK || value.Get().vt != VT_BSTR) {
        return std::nullopt;
    }
    return std::wstring(value.Get().bstrVal, ::SysStringLen(value.Get().bstrVal));
}

bool CXmlNode::SetAttribute(std::wstring_view name, std::wstring_view value) {
    const CComRef<IXMLDOMElement> element = AsElement(XmlBackend::Node(*this));
    if (!element || name.empty()) {
        return false;
    }
    const CBstr key(name);
    CVariant text;
    CVariant::SetText(text.Get(), value);
    return SUCCEEDED(element->setAttribute(key.Get(), text.Get()));
}

bool CXmlNode::AppendChild(CXmlNode& child) {
    IXMLDOMNode* parent = XmlBackend::Node(*this);
    IXMLDOMNode* node = XmlBackend::Node(child);
    if (parent == nullptr || node == nullptr) {
        return false;
    }
    IXMLDOMNode* appended = nullptr;
    if (FAILED(parent->appendChild(node, &appended)) || appended == nullptr) {
        return false;
    }
    child = XmlBackend::Adopt(appended);
    return true;
}

XmlStatus CXmlNode::SelectNodes(std::wstring_view xpath, std::vector<CXmlNode>& nodes) const {
    nodes.clear();
    IXMLDOMNode* node = XmlBackend::Node(*this);
    if (node == nullptr) {
        return Failure(L"no context node");
    }
    if (xpath.find(L'\0') != std::wstring_view::npos) {
        return Failure(L"the expression holds a NUL character");
    }
    const CBstr query(xpath);
    CComRef<IXMLDOMNodeList> list;
    const HRESULT result = node->selectNodes(query.Get(), list.Out());
    if (FAILED(result) || !list) {
        return Failure(L"the XPath " + std::wstring(xpath) + L" is malformed: " + ErrorText(result),
                       static_cast<uint32_t>(result));
    }
    for (;;) {
        IXMLDOMNode* found = nullptr;
        if (list->nextNode(&found) != S_OK || found == nullptr) {
            break;
        }
        CXmlNode item = XmlBackend::Adopt(found);
        // Attributes are selected as their elements are not: only nodes cross the seam.
        if (TypeOf(found) != NODE_ATTRIBUTE) {
            nodes.push_back(std::move(item));
        }
    }
    return {};
}

CXmlDocument::CXmlDocument() = default;

CXmlDocument::~CXmlDocument() {
    Document* document = XmlBackend::Doc(*this);
    if (document == nullptr) {
        return;
    }
    if (document->doc != nullptr) {
        document->doc->Release();
    }
    if (document->comInitialized) {
        ::CoUninitialize();
    }
    delete document;
}

XmlStatus CXmlDocument::Create() {
    if (impl_ != nullptr) {
        return {};
    }
    // COM on this thread: an apartment it already has (of either kind) is used as it is.
    const HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(init) && init != RPC_E_CHANGED_MODE) {
        return Failure(L"COM cannot be initialised: " + Hex(init), static_cast<uint32_t>(init));
    }
    auto* document = new Document();
    document->comInitialized = SUCCEEDED(init);
    const HRESULT result =
        ::CoCreateInstance(kClsidDomDocument60, nullptr, CLSCTX_INPROC_SERVER, kIidXmlDomDocument2,
                           reinterpret_cast<void**>(&document->doc));
    if (FAILED(result) || document->doc == nullptr) {
        if (document->comInitialized) {
            ::CoUninitialize();
        }
        delete document;
        return Failure(L"DOMDocument60 cannot be created: " + Hex(result),
                       static_cast<uint32_t>(result));
    }
    IXMLDOMDocument2* doc = document->doc;
    doc->put_async(VARIANT_FALSE);
    doc->put_validateOnParse(VARIANT_FALSE);
    doc->put_resolveExternals(VARIANT_FALSE);
    const CBstr language(L"SelectionLanguage");
    CVariant xpath;
    CVariant::SetText(xpath.Get(), L"XPath");
    doc->setProperty(language.Get(), xpath.Get());
    // A document type declaration is read (never fetched) rather than refused, as pugixml does.
    const CBstr prohibit(L"ProhibitDTD");
    CVariant no;
    no.Get().vt = VT_BOOL;
    no.Get().boolVal = VARIANT_FALSE;
    doc->setProperty(prohibit.Get(), no.Get());
    impl_ = document;
    return {};
}

XmlStatus CXmlDocument::LoadFile(std::wstring_view path) {
    Document* document = XmlBackend::Doc(*this);
    if (document == nullptr) {
        return Failure(L"the parser was not created");
    }
    // Whatever goes wrong before the load, no earlier content is left behind.
    const auto clear = [document] { Clear(document->doc); };
    std::string bytes;
    XmlStatus read = ReadFile(path, bytes);
    if (!read) {
        clear();
        return read;
    }
    CVariant source;
    SAFEARRAY* array = ::SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (array == nullptr) {
        clear();
        return Failure(L"out of memory", static_cast<uint32_t>(E_OUTOFMEMORY));
    }
    source.Get().vt = VT_ARRAY | VT_UI1;
    source.Get().parray = array;  // freed with the variant
    void* data = nullptr;
    const HRESULT access = ::SafeArrayAccessData(array, &data);
    if (FAILED(access)) {
        clear();
        return Failure(L"the file's bytes cannot be handed over: " + Hex(access),
                       static_cast<uint32_t>(access));
    }
    std::copy(bytes.begin(), bytes.end(), static_cast<char*>(data));
    ::SafeArrayUnaccessData(array);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    const HRESULT result = document->doc->load(source.Get(), &loaded);
    XmlStatus status = XmlBackend::Finish(document->doc, result, loaded);
    if (!status && status.line == 0) {
        // Some MSXML builds leave the parse error's line out; the SAX reader tells it.
        struct CNoSink : IXmlEventSink {
            bool StartElement(std::wstring_view, const XmlAttribute*, size_t) override {
                return true;
            }
            bool EndElement() override { return true; }
            bool Characters(std::wstring_view) override { return true; }
        } sink;
        status.line = ReadXmlEvents(bytes, sink).line;
    }
    return status;
}

XmlStatus CXmlDocument::LoadText(std::wstring_view text) {
    Document* document = XmlBackend::Doc(*this);
    if (document == nullptr) {
        return Failure(L"the parser was not created");
    }
    if (text.find(L'\0') != std::wstring_view::npos) {
        // MSXML would read the text only up to the NUL.
        Clear(document->doc);
        return Failure(L"a NUL character in the text");
    }
    const CBstr source(text);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    const HRESULT result = document->doc->loadXML(source.Get(), &loaded);
    return XmlBackend::Finish(document->doc, result, loaded);
}

XmlStatus CXmlDocument::Save(std::wstring_view path) const {
    Document* document = XmlBackend::Doc(*this);
    if (document == nullptr) {
        return Failure(L"the parser was not created");
    }
    // It would not load again: the file is better left as it is.
    CComRef<IXMLDOMElement> root;
    if (document->doc->get_documentElement(root.Out()) != S_OK || !root) {
        return Failure(L"the document has no root element");
    }
    std::wstring target(path);
    std::replace(target.begin(), target.end(), L'/', L'\\');
    const std::wstring temporary = target + L".tmp";
    CVariant destination;
    CVariant::SetText(destination.Get(), temporary);
    const HRESULT result = document->doc->save(destination.Get());
    if (FAILED(result)) {
        ::DeleteFileW(temporary.c_str());
        return Failure(L"the file cannot be written: " + ErrorText(result),
                       static_cast<uint32_t>(result));
    }
    if (!::MoveFileExW(temporary.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        ::DeleteFileW(temporary.c_str());
        return Failure(L"the file cannot be replaced", error);
    }
    return {};
}

CXmlNode CXmlDocument::Root() const {
    Document* document = XmlBackend::Doc(*this);
    if (document == nullptr) {
        return CXmlNode();
    }
    document->doc->AddRef();
    return XmlBackend::Adopt(document->doc);
}

CXmlNode CXmlDocument::DocumentElement() const {
    Document* document = XmlBackend::Doc(*this);
    IXMLDOMElement* element = nullptr;
    if (document == nullptr || document->doc->get_documentElement(&element) != S_OK) {
        return CXmlNode();
    }
    return XmlBackend::Adopt(element);
}

CXmlNode CXmlDocument::CreateElement(std::wstring_view name) {
    Document* document = XmlBackend::Doc(*this);
    if (document == nullptr || name.empty()) {
        return CXmlNode();
    }
    const CBstr tag(name);
    IXMLDOMElement* element = nullptr;
    if (FAILED(document->doc->createElement(tag.Get(), &element))) {
        return CXmlNode();
    }
    return XmlBackend::Adopt(element);
}

namespace {

// SAXXMLReader60 and the SAX interfaces.
constexpr GUID kClsidSaxXmlReader60 = {
    0x88D96A0C, 0xF192, 0x11D4, {0xA6, 0x5F, 0x00, 0x40, 0x96, 0x32, 0x51, 0xE5}};
constexpr GUID kIidSaxXmlReader = {
    0xA4F96ED0, 0xF829, 0x476E, {0x81, 0xC0, 0xCD, 0xC7, 0xBD, 0x2A, 0x08, 0x02}};
constexpr GUID kIidSaxContentHandler = {
    0x1545CDFA, 0x9E4E, 0x4497, {0xA8, 0xA4, 0x2B, 0xF7, 0xD0, 0x11, 0x2C, 0x44}};
constexpr GUID kIidSaxErrorHandler = {
    0xA60511C4, 0xCCF5, 0x479E, {0x98, 0xA3, 0xDC, 0x8D, 0xC5, 0x45, 0xB7, 0xD0}};

// The IUnknown of a COM object of ours that has one interface: made with a count of 1 for its
// maker, deleted when the last reference goes.
template <class Interface, const GUID& kInterfaceId>
class CComObject : public Interface {
public:
    virtual ~CComObject() = default;

    HRESULT WINAPI QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, kInterfaceId)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG WINAPI AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&count_)); }
    ULONG WINAPI Release() override {
        const LONG count = ::InterlockedDecrement(&count_);
        if (count == 0) {
            delete this;
        }
        return static_cast<ULONG>(count);
    }

private:
    LONG count_ = 1;
};

// The SAX content handler: hands each callback to the sink. A sink that stops the reading makes
// the callback fail, which ends the parse.
class CSaxContentHandler : public CComObject<ISAXContentHandler, kIidSaxContentHandler> {
public:
    explicit CSaxContentHandler(IXmlEventSink& sink) : sink_(sink) {}
    ~CSaxContentHandler() override {
        if (locator_ != nullptr) {
            locator_->Release();
        }
    }

    HRESULT WINAPI putDocumentLocator(ISAXLocator* locator) override {
        if (locator != nullptr) {
            locator->AddRef();
        }
        if (locator_ != nullptr) {
            locator_->Release();
        }
        locator_ = locator;
        return S_OK;
    }
    HRESULT WINAPI startDocument() override { return S_OK; }
    HRESULT WINAPI endDocument() override { return S_OK; }
    HRESULT WINAPI startPrefixMapping(const wchar_t*, int, const wchar_t*, int) override {
        return S_OK;
    }
    HRESULT WINAPI endPrefixMapping(const wchar_t*, int) override { return S_OK; }
    HRESULT WINAPI startElement(const wchar_t*, int, const wchar_t* localName, int localLength,
                                const wchar_t*, int, ISAXAttributes* attributes) override {
        attributes_.clear();
        int count = 0;
        if (attributes != nullptr && SUCCEEDED(attributes->getLength(&count))) {
            for (int i = 0; i < count; ++i) {
                const wchar_t* qualified = nullptr;
                const wchar_t* name = nullptr;
                const wchar_t* value = nullptr;
                int qualifiedLength = 0;
                int nameLength = 0;
                int valueLength = 0;
                if (SUCCEEDED(attributes->getQName(i, &qualified, &qualifiedLength)) &&
                    IsNamespaceDeclaration(View(qualified, qualifiedLength))) {
                    continue;  // some readers list them although asked not to
                }
                if (SUCCEEDED(attributes->getLocalName(i, &name, &nameLength)) &&
                    SUCCEEDED(attributes->getValue(i, &value, &valueLength))) {
                    attributes_.push_back(
                        XmlAttribute{View(name, nameLength), View(value, valueLength)});
                }
            }
        }
        // The locator stands where the start tag ends.
        int line = 0;
        if (locator_ != nullptr && SUCCEEDED(locator_->getLineNumber(&line)) && line > 0) {
            sink_.StartLine(static_cast<uint32_t>(line));
        }
        return Result(sink_.StartElement(View(localName, localLength), attributes_.data(),
                                         attributes_.size()));
    }
    HRESULT WINAPI endElement(const wchar_t*, int, const wchar_t*, int, const wchar_t*,
                              int) override {
        return Result(sink_.EndElement());
    }
    HRESULT WINAPI characters(const wchar_t* text, int length) override {
        return length < 1 ? S_OK : Result(sink_.Characters(View(text, length)));
    }
    HRESULT WINAPI ignorableWhitespace(const wchar_t*, int) override { return S_OK; }
    HRESULT WINAPI processingInstruction(const wchar_t*, int, const wchar_t*, int) override {
        return S_OK;
    }
    HRESULT WINAPI skippedEntity(const wchar_t*, int) override { return S_OK; }

private:
    static std::wstring_view View(const wchar_t* text, int length) {
        return text != nullptr && length > 0 ? std::wstring_view(text, static_cast<size_t>(length))
                                             : std::wstring_view();
    }
    static HRESULT Result(bool goOn) { return goOn ? S_OK : E_ABORT; }
    static bool IsNamespaceDeclaration(std::wstring_view name) {
        return name == L"xmlns" || name.substr(0, 6) == L"xmlns:";
    }

    IXmlEventSink& sink_;
    ISAXLocator* locator_ = nullptr;  // held while the reader reads
    std::vector<XmlAttribute> attributes_;
};

// The SAX error handler: the parse's result tells the failure; the first message is kept.
class CSaxErrorHandler : public CComObject<ISAXErrorHandler, kIidSaxErrorHandler> {
public:
    HRESULT WINAPI error(ISAXLocator* locator, const wchar_t* message, HRESULT) override {
        Keep(locator, message);
        return S_OK;
    }
    HRESULT WINAPI fatalError(ISAXLocator* locator, const wchar_t* message, HRESULT) override {
        Keep(locator, message);
        return S_OK;
    }
    HRESULT WINAPI ignorableWarning(ISAXLocator*, const wchar_t*, HRESULT) override { return S_OK; }

    const std::wstring& Message() const { return message_; }
    uint32_t Line() const { return line_; }

private:
    void Keep(ISAXLocator* locator, const wchar_t* message) {
        if (!message_.empty() || message == nullptr) {
            return;
        }
        message_ = message;
        while (!message_.empty() && IsBlank(message_.back())) {
            message_.pop_back();
        }
        int line = 0;
        int column = 0;
        if (locator != nullptr && SUCCEEDED(locator->getLineNumber(&line)) &&
            SUCCEEDED(locator->getColumnNumber(&column))) {
            message_ +=
                L" at line " + std::to_wstring(line) + L", column " + std::to_wstring(column);
            line_ = line > 0 ? static_cast<uint32_t>(line) : 0;
        }
    }

    std::wstring message_;
    uint32_t line_ = 0;
};

// Balances the COM set-up of one read on the calling thread.
class CComScope {
public:
    CComScope() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~CComScope() {
        if (SUCCEEDED(result_)) {
            ::CoUninitialize();
        }
    }
    CComScope(const CComScope&) = delete;
    CComScope& operator=(const CComScope&) = delete;
    bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }
    HRESULT Result() const { return result_; }

private:
    HRESULT result_;
};

}  // namespace

XmlStatus ReadXmlEvents(std::string_view bytes, IXmlEventSink& sink) {
    const CComScope com;
    if (!com.Usable()) {
        return Failure(L"COM cannot be initialised: " + Hex(com.Result()),
                       static_cast<uint32_t>(com.Result()));
    }
    CComRef<ISAXXMLReader> reader;
    const HRESULT created =
        ::CoCreateInstance(kClsidSaxXmlReader60, nullptr, CLSCTX_ALL, kIidSaxXmlReader,
                           reinterpret_cast<void**>(reader.Out()));
    if (FAILED(created) || !reader) {
        return Failure(L"SAXXMLReader60 cannot be created: " + Hex(created),
                       static_cast<uint32_t>(created));
    }
    // A gauge file has no use for a document type: refused, so no entity can expand.
    reader->putFeature(L"prohibit-dtd", VARIANT_TRUE);
    CComRef<CSaxContentHandler> content(new CSaxContentHandler(sink));
    CComRef<CSaxErrorHandler> errors(new CSaxErrorHandler());
    HRESULT result = reader->putContentHandler(content.Get());
    if (SUCCEEDED(result)) {
        result = reader->putErrorHandler(errors.Get());
    }
    if (FAILED(result)) {
        return Failure(L"the SAX handlers cannot be set: " + Hex(result),
                       static_cast<uint32_t>(result));
    }
    // A stream over a copy of the bytes: the byte-array input of some SAX readers loses the last
    // byte of a document.
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1);
    if (memory == nullptr) {
        return Failure(L"out of memory", static_cast<uint32_t>(E_OUTOFMEMORY));
    }
    if (void* data = ::GlobalLock(memory)) {
        std::copy(bytes.begin(), bytes.end(), static_cast<char*>(data));
        ::GlobalUnlock(memory);
    }
    CComRef<IStream> stream;
    const HRESULT made = ::CreateStreamOnHGlobal(memory, TRUE, stream.Out());
    if (FAILED(made) || !stream) {
        ::GlobalFree(memory);
        return Failure(L"the bytes cannot be handed over: " + Hex(made),
                       static_cast<uint32_t>(made));
    }
    ULARGE_INTEGER size;
    size.QuadPart = bytes.size();
    stream->SetSize(size);
    CVariant source;
    source.Get().vt = VT_UNKNOWN;
    source.Get().punkVal = stream.Detach();  // released with the variant
    result = reader->parse(source.Get());
    // The reader lets go of the handlers before they go.
    reader->putContentHandler(nullptr);
    reader->putErrorHandler(nullptr);
    if (FAILED(result)) {
        const std::wstring message = errors->Message().empty()
                                         ? L"the document did not parse: " + Hex(result)
                                         : errors->Message();
        XmlStatus failure = Failure(message, static_cast<uint32_t>(result));
        failure.line = errors->Line();
        return failure;
    }
    return {};
}

}  // namespace XPL::PLATFORM
