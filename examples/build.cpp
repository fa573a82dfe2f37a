// build: a structure with explicit and implicit tags, a SET OF, a CHOICE and an OPTIONAL component,
// written in DER and printed in hexadecimal. The type it builds:
//
//   Record ::= SEQUENCE {
//     id      [0] EXPLICIT INTEGER,
//     name    [1] IMPLICIT UTF8String,
//     roles   SET OF PrintableString,
//     contact CHOICE { email [2] IMPLICIT IA5String, phone [3] IMPLICIT NumericString },
//     note    [4] EXPLICIT UTF8String OPTIONAL }
#include <initializer_list>
#include <iostream>
#include <memory>

#include "zentrik/asn1/DERCoder.h"

using namespace Ostrel;

namespace {

struct Record {
    long id;
    const char* name;
    std::initializer_list<const char*> roles;
    bool byEmail;
    const char* contact;
    const char* note;  // null: absent
};

ASN1Sequence build(const Record& r) {
    ASN1Sequence record;
    auto id = std::make_unique<ASN1Integer>(r.id);
    id->setExplicitTag(0);
    record.appendComponent(std::move(id));

    auto name = std::make_unique<ASN1UTF8String>(r.name);
    name->setImplicitTag(1);
    record.appendComponent(std::move(name));

    // DER writes a SET OF sorted by the components' encodings, whatever order they were added in.
    auto roles = std::make_unique<ASN1SetOf>();
    for (const char* role : r.roles) roles->appendComponent(std::make_unique<ASN1PrintableString>(role));
    record.appendComponent(std::move(roles));

    // A CHOICE is written as the alternative it holds; here the alternatives differ by their tags.
    std::unique_ptr<ASN1Object> alternative;
    if (r.byEmail)
        alternative = std::make_unique<ASN1IA5String>(r.contact);
    else
        alternative = std::make_unique<ASN1NumericString>(r.contact);
    alternative->setImplicitTag(r.byEmail ? 2 : 3);
    record.appendComponent(std::make_unique<ASN1Choice>(std::move(alternative)));

    // An OPTIONAL component left without a value is not written at all.
    auto note = std::make_unique<ASN1UTF8String>();
    note->setOptional(true);
    note->setExplicitTag(4);
    if (r.note) note->setValue(Velmora::String(r.note));
    record.appendComponent(std::move(note));
    return record;
}

}  // namespace

int main() {
    const Record records[] = {
        {7, "Ada", {"admin", "dev"}, true, "ada@example.org", nullptr},
        {300, "Bob", {"ops"}, false, "5550100", "on call"},
    };
    try {
        for (const Record& r : records) {
            const Velmora::ByteArray der = DERCoder::encode(build(r));
            std::cout << r.name << " (" << der.size() << " octets): " << der.toPrintableString() << "\n";
        }
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "build: " << e.what() << "\n";
        return 1;
    }
}
