// The decoder layer; filled by the capture model and decoding work.
namespace corvanta {}
