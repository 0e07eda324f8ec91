// Writes a pseudo-translation of a Qt Linguist file, for the test that every text the operator
// reads goes through the translation system: each text comes out as "[~" + text + "~]", so a
// text shown unwrapped never passed through it.
//
//   voduro_pseudotranslation source <in.ts> <out.ts>       wraps every source text
//   voduro_pseudotranslation translation <in.ts> <out.ts>  wraps every finished translation and
//                                                           leaves out the unfinished ones, which
//                                                           then show in the source language
#include <QCoreApplication>
#include <QFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <cstdio>

namespace {

struct Message {
    QString source;
    QString comment;
    QString type; // of the translation: "", "unfinished", "vanished", "obsolete"
    bool numerus = false;
    QStringList forms; // the translation, or its numerus forms
};

QString wrapped(const QString &text) {
    return QStringLiteral("[~") + text + QStringLiteral("~]");
}

Message readMessage(QXmlStreamReader &reader) {
    Message message;
    message.numerus = reader.attributes().value(QStringLiteral("numerus")) == QLatin1String("yes");
    while (reader.readNextStartElement()) {
        const QStringView name = reader.name();
        if (name == QLatin1String("source")) {
            message.source = reader.readElementText();
        } else if (name == QLatin1String("comment")) {
            message.comment = reader.readElementText();
        } else if (name == QLatin1String("translation")) {
            message.type = reader.attributes().value(QStringLiteral("type")).toString();
            if (!message.numerus) {
                message.forms = {reader.readElementText()};
                continue;
            }
            while (reader.readNextStartElement())
                message.forms.append(reader.readElementText());
        } else {
            reader.skipCurrentElement();
        }
    }
    return message;
}

// The texts the pseudo-translation gives, or none when the message is to be left out.
QStringList pseudoForms(const Message &message, bool fromSource) {
    if (message.type == QLatin1String("vanished") || message.type == QLatin1String("obsolete"))
        return {};
    QStringList forms;
    if (fromSource) {
        const qsizetype count = message.numerus ? std::max<qsizetype>(message.forms.size(), 2) : 1;
        for (qsizetype i = 0; i < count; ++i)
            forms.append(wrapped(message.source));
        return forms;
    }
    if (message.type == QLatin1String("unfinished"))
        return {};
    for (const QString &form : message.forms)
        forms.append(wrapped(form));
    return forms;
}

void writeMessage(QXmlStreamWriter &writer, const Message &message, const QStringList &forms) {
    writer.writeStartElement(QStringLiteral("message"));
    if (message.numerus)
        writer.writeAttribute(QStringLiteral("numerus"), QStringLiteral("yes"));
    writer.writeTextElement(QStringLiteral("source"), message.source);
    if (!message.comment.isEmpty())
        writer.writeTextElement(QStringLiteral("comment"), message.comment);
    writer.writeStartElement(QStringLiteral("translation"));
    if (message.numerus) {
        for (const QString &form : forms)
            writer.writeTextElement(QStringLiteral("numerusform"), form);
    } else {
        writer.writeCharacters(forms.value(0));
    }
    writer.writeEndElement();
    writer.writeEndElement();
}

void copyContext(QXmlStreamReader &reader, QXmlStreamWriter &writer, bool fromSource) {
    writer.writeStartElement(QStringLiteral("context"));
    while (reader.readNextStartElement()) {
        if (reader.name() == QLatin1String("name")) {
            writer.writeTextElement(QStringLiteral("name"), reader.readElementText());
        } else if (reader.name() == QLatin1String("message")) {
            const Message message = readMessage(reader);
            const QStringList forms = pseudoForms(message, fromSource);
            if (!forms.isEmpty())
                writeMessage(writer, message, forms);
        } else {
            reader.skipCurrentElement();
        }
    }
    writer.writeEndElement();
}

bool convert(QFile &in, QFile &out, bool fromSource) {
    QXmlStreamReader reader(&in);
    QXmlStreamWriter writer(&out);
    writer.setAutoFormatting(true);
    writer.writeStartDocument();
    if (!reader.readNextStartElement() || reader.name() != QLatin1String("TS"))
        return false;
    writer.writeStartElement(QStringLiteral("TS"));
    writer.writeAttributes(reader.attributes());
    while (reader.readNextStartElement()) {
        if (reader.name() == QLatin1String("context"))
            copyContext(reader, writer, fromSource);
        else
            reader.skipCurrentElement();
    }
    writer.writeEndDocument();
    return !reader.hasError() && !writer.hasError();
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString mode = arguments.value(1);
    if (arguments.size() != 4 ||
        (mode != QLatin1String("source") && mode != QLatin1String("translation"))) {
        std::fputs("usage: voduro_pseudotranslation source|translation <in.ts> <out.ts>\n", stderr);
        return 2;
    }
    QFile in(arguments.at(2));
    QFile out(arguments.at(3));
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "voduro_pseudotranslation: cannot open %s or %s\n",
                     qPrintable(in.fileName()), qPrintable(out.fileName()));
        return 1;
    }
    if (!convert(in, out, mode == QLatin1String("source"))) {
        std::fprintf(stderr, "voduro_pseudotranslation: %s is no translation file\n",
                     qPrintable(in.fileName()));
        return 1;
    }
    return 0;
}
