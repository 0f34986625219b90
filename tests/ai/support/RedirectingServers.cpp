// The redirecting service of the tests that keep credentials with their host.
#include "support/RedirectingServers.h"

namespace zepla::ai::test {

RedirectingServers::RedirectingServers(Target target, const QByteArray& answer) {
    const QUrl base = target == Target::otherHost   ? otherHost.baseAddress()
                      : target == Target::otherPort ? otherPort.baseAddress()
                                                    : configured.baseAddress();
    m_target = base.resolved(QUrl(QStringLiteral("/moved/chat/completions")));
    const CannedReply redirect{
        307, {}, "text/plain", CannedReply::Delivery::whole, {"Location: " + m_target.toEncoded()}};
    const CannedReply answered{200, answer};
    if (target == Target::sameOrigin)
        configured.setReplies({redirect, answered});
    else
        configured.setReplies({redirect});
    otherPort.setReplies({answered});
    otherHost.setReplies({answered});
}

qsizetype RedirectingServers::requestsElsewhere() const {
    return otherPort.requests().size() + otherHost.requests().size();
}

} // namespace zepla::ai::test
