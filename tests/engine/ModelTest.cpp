#include "stowline/CopyError.h"
#include "stowline/CopyFailureReason.h"
#include "stowline/FileErrorReason.h"
#include "stowline/FileOutcome.h"
#include "stowline/FilePhase.h"

#include <gtest/gtest.h>

using namespace stowline;

TEST(Model, TextValuesRoundTripAndOnlyExactTextConverts) {
    for (auto phase : {FilePhase::copying, FilePhase::verifying}) {
        EXPECT_EQ(filePhaseFromText(toText(phase)), phase);
    }
    for (auto outcome : {FileOutcome::verified, FileOutcome::skipped, FileOutcome::failed}) {
        EXPECT_EQ(fileOutcomeFromText(toText(outcome)), outcome);
    }
    for (auto reason : {CopyFailureReason::destinationDisconnected, CopyFailureReason::cancelledOutOfSpace,
                        CopyFailureReason::destinationUnreachable, CopyFailureReason::destinationOutOfSpace,
                        CopyFailureReason::destinationWriteFailed}) {
        EXPECT_EQ(copyFailureReasonFromText(toText(reason)), reason);
    }
    EXPECT_EQ(filePhaseFromText("Copying"), std::nullopt);
    EXPECT_EQ(fileOutcomeFromText("verified "), std::nullopt);
    EXPECT_EQ(copyFailureReasonFromText("destinationoutofspace"), std::nullopt);
    EXPECT_EQ(copyFailureReasonFromText(""), std::nullopt);
}

TEST(Model, ReasonsAndErrorsCompareByMemberAndPayload) {
    EXPECT_NE(FileErrorReason::noDestinationAvailable(), FileErrorReason::noDestinationForFile());
    EXPECT_EQ(FileErrorReason::copyFailed("x"), FileErrorReason::copyFailed("x"));
    EXPECT_NE(FileErrorReason::copyFailed("x"), FileErrorReason::hashMismatchAfterRecopy("x"));

    EXPECT_NE(CopyError::allDestinationsFailed({}), CopyError::cancelled());
    EXPECT_EQ(CopyError::allDestinationsFailed({}), CopyError::allDestinationsFailed({}));
    DestinationFailure full{"/a/b", "No space left on device", true};
    EXPECT_EQ(CopyError::allDestinationsFailed({full}), CopyError::allDestinationsFailed({full}));
    auto other = full;
    other.outOfSpace = false;
    EXPECT_NE(CopyError::allDestinationsFailed({full}), CopyError::allDestinationsFailed({other}));
}
