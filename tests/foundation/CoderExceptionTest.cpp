#include <gtest/gtest.h>

#include "zentrik/foundation/CoderException.h"
#include "zentrik/platform/utils/Exception.h"

using Velmora::CoderException;
using Velmora::Exception;
using Velmora::UtilsException;

TEST(CoderException, CarriesClassCodeThroughEveryKindOfCopy) {
    const UtilsException cause(31, "Base64InputStream::operator>>(unsigned char& byte&)", "NOT IMPLEMENTED");
    const CoderException thrown(Exception::LIB_CODERS, 12, "URLCoder::decode(const String& query)", cause,
                                "");
    EXPECT_EQ(thrown.getClassCode(), -19);

    const CoderException copy(thrown);
    const Exception plain(thrown);  // a copy made as a plain Exception
    CoderException assigned(Exception::LIB_GENERAL, 7, "other", "");
    assigned = thrown;
    for (const Exception* e :
         {static_cast<const Exception*>(&copy), &plain, static_cast<const Exception*>(&assigned)}) {
        EXPECT_EQ(e->getClassCode(), -19);
        EXPECT_EQ(e->getLibrary(), Exception::LIB_CODERS);
        EXPECT_EQ(e->getNumber(), 12u);
        EXPECT_EQ(e->getOperation().toUTF8(), "URLCoder::decode(const String& query)");
        EXPECT_TRUE(e->getMessage().isEmpty());
        ASSERT_NE(e->getCause(), nullptr);
        EXPECT_EQ(e->getCause()->getNumber(), 31u);
        EXPECT_EQ(e->getCause()->getMessage().toUTF8(), "NOT IMPLEMENTED");
    }
}

TEST(CoderException, IsCaughtAsExceptionButAPlainCopyIsNotACoderException) {
    bool caughtAsCoder = false;
    try {
        try {
            throw CoderException(Exception::LIB_CODERS, 13, "DERCoder::decode",
                                 "there was no data to decode");
        } catch (const Exception& e) {
            throw Exception(e);  // what the DER decoder does on its way out
        }
    } catch (const CoderException&) {
        caughtAsCoder = true;
    } catch (const Exception& e) {
        EXPECT_EQ(e.getNumber(), 13u);
        EXPECT_EQ(e.getClassCode(), -19);
        EXPECT_STREQ(e.what(), "error 13 (DERCoder::decode): there was no data to decode");
    }
    EXPECT_FALSE(caughtAsCoder);
}
