#include "installer_verdict.h"

namespace kv {

namespace {

Refusal ListingRefusal(const ListingFacts& listing) {
    if (listing.walk != TrailerError::None) return Refusal::TrailerDamaged;
    // A package that carries a checksum is checked whole before anything is
    // written, so a damaged download never installs a broken font.
    if (listing.integrity == IntegrityState::Mismatch) return Refusal::ChecksumMismatch;
    if (listing.integrity == IntegrityState::RecordDamaged) return Refusal::IntegrityRecordDamaged;
    // Without a descriptor the run could not go on after the extraction;
    // it is refused before anything is written. A cut-off download reads
    // this way: its walk finds other entries but never the descriptor.
    if (!listing.descriptor_listed) return Refusal::NoDescriptor;
    return Refusal::None;
}

}  // namespace

InstallerVerdict JudgeAsInstaller(const ListingFacts& listing, const DescriptorFacts* descriptor) {
    InstallerVerdict verdict;
    verdict.reason = ListingRefusal(listing);
    if (verdict.reason == Refusal::None && descriptor) {
        if (descriptor->fields < kRequiredDescriptorFields)
            verdict.reason = Refusal::DescriptorTooShort;
        else if (!descriptor->signature_valid)
            verdict.reason = Refusal::WrongSignature;
    }
    return verdict;
}

}  // namespace kv
