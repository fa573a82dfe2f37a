// zentrik.ber.walk: the elements of a file of any size, one at a time, contents read in pieces.
#include <memory>

#include "Bindings.h"
#include "ElementProperties.h"
#include "Errors.h"
#include "NodeType.h"
#include "PythonFileStream.h"
#include "StreamWalker.h"
#include "zentrik/foundation/CoderFailures.h"
#include "zentrik/platform/asn1/ASN1Octets.h"

namespace py = pybind11;

namespace zentrik_py {

namespace {

constexpr std::size_t kPiece = 64 * 1024;          // what one read of contents gives at most by default
constexpr std::uint64_t kLargestValue = 1u << 20;  // primitive contents decoded whole as `value`

// One element met by the walk; its contents can be read only until the walk moves on.
class WalkedElement {
  public:
    WalkedElement(std::shared_ptr<StreamWalker> walker, const StreamElement& found)
        : walker_(std::move(walker)), found_(found) {}

    const Element& element() const { return found_.element; }
    unsigned int depth() const { return found_.depth; }

    py::bytes read(std::size_t most) {
        current("read");
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(most, walker_->unread()));
        py::bytes piece(nullptr, count);
        char* room = PyBytes_AS_STRING(piece.ptr());
        py::gil_scoped_release unlocked;
        walker_->readContents(room, count);
        return piece;
    }

    // The value of a primitive element whose contents are still unread, decoded as BER.
    py::object value() {
        const Element& e = found_.element;
        if (e.constructed()) return py::none();
        current("value");
        const std::uint64_t length = e.contentsEnd - e.contentsOffset();
        if (walker_->unread() != length) fail("value", "its contents have already been read in pieces");
        if (length > kLargestValue)
            fail("value", "its contents are too large for one value: read them in pieces");
        unsigned char header[Ostrel::octets::kMaxIdentifierOctets + Ostrel::octets::kMaxLengthOctets];
        std::size_t count = Ostrel::octets::writeIdentifier(e.first & 0xE0u, e.tag, header);
        count += Ostrel::octets::writeLength(length, header + count);
        std::string octets(reinterpret_cast<const char*>(header), count);
        octets.resize(count + length);
        walker_->readContents(octets.data() + count, length);
        const py::object node = decodeTree(py::bytes(octets), false, [](const Tree&) {});
        return py::reinterpret_steal<py::object>(valueOf(nodeRef(node).tree, 0));
    }

  private:
    void current(const char* operation) const {
        if (walker_->serial() != found_.serial) fail(operation, "the walk has moved past this element");
    }
    [[noreturn]] void fail(const char* operation, const std::string& message) const {
        setCoderError(Velmora::failures::kValueAfterPieces, operation, found_.element.offset, message);
        throw py::error_already_set();
    }

    std::shared_ptr<StreamWalker> walker_;
    StreamElement found_;
};

class Walk {
  public:
    explicit Walk(const std::string& path) : walker_(std::make_shared<StreamWalker>(path)) {}
    // Over a binary file object, read from where it stands.
    explicit Walk(py::object file)
        : walker_(std::make_shared<StreamWalker>(std::make_unique<PythonFileStream>(std::move(file)))) {}

    WalkedElement next() {
        StreamElement found;
        bool more = false;
        {
            py::gil_scoped_release unlocked;
            more = walker_->next(found);
        }
        if (!more) throw py::stop_iteration();
        return {walker_, found};
    }

  private:
    std::shared_ptr<StreamWalker> walker_;
};

}  // namespace

void bindWalk(py::module_& module) {
    py::class_<WalkedElement> walked(module, "WalkedElement", "An element met by zentrik.ber.walk.");
    defineElementProperties(walked, [](const WalkedElement& w) -> const Element& { return w.element(); });
    walked.def_property_readonly("depth", &WalkedElement::depth)
        .def_property_readonly("value", &WalkedElement::value)
        .def("read", &WalkedElement::read, py::arg("most") = kPiece)
        .def("chunks",
             [](py::object self) { return py::module_::import("zentrik._walk").attr("chunks")(self); });
    py::class_<Walk>(module, "Walk", "The elements of a BER or DER file in document order.")
        .def(py::init<const std::string&>())
        .def(py::init<py::object>())
        .def("__iter__", [](py::object self) { return self; })
        .def("__next__", &Walk::next);
}

}  // namespace zentrik_py
