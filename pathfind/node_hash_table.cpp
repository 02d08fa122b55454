#include "pathfind/node_hash_table.h"

#include <cstring>
#include <new>

#include "pathfind/node_factory.h"

namespace __VELTRIC__ {

NodeHashTable::NodeHashTable() : m_buckets(new Node*[1]), m_bits(0) { m_buckets[0] = nullptr; }

NodeHashTable::NodeHashTable(const NodeHashTable& other)
    : m_buckets(new Node*[other.bucketCount()]), m_bits(other.m_bits)
{
    std::memcpy(m_buckets, other.m_buckets, sizeof(Node*) * bucketCount());
}

NodeHashTable& NodeHashTable::operator=(const NodeHashTable& other)
{
    if (this == &other) return *this;
    Node** buckets = new Node*[other.bucketCount()];
    std::memcpy(buckets, other.m_buckets, sizeof(Node*) * other.bucketCount());
    delete[] m_buckets;
    m_buckets = buckets;
    m_bits = other.m_bits;
    return *this;
}

NodeHashTable::~NodeHashTable() { delete[] m_buckets; }

unsigned int NodeHashTable::create(unsigned int bits)
{
    if (bits > kMaxBits) bits = kMaxBits;
    bits &= ~1u;
    const unsigned int n = 1u << bits;
    Node** buckets = new (std::nothrow) Node*[n];
    if (!buckets) return m_bits;
    std::memset(buckets, 0, sizeof(Node*) * n);
    delete[] m_buckets;
    m_buckets = buckets;
    m_bits = bits;
    return m_bits;
}

int NodeHashTable::add(Node* node)
{
    if (!node) return 0;
    Node*& head = m_buckets[hash(node->x, node->y)];
    for (Node* n = head; n; n = n->next)
        if (n == node) return 0;
    node->next = head;
    head = node;
    return 1;
}

unsigned int NodeHashTable::size() const
{
    unsigned int total = 0;
    for (unsigned int b = 0; b < bucketCount(); ++b)
        for (Node* n = m_buckets[b]; n; n = n->next) ++total;
    return total;
}

void NodeHashTable::empty() { std::memset(m_buckets, 0, sizeof(Node*) * bucketCount()); }

void NodeHashTable::releaseAll(NodeFactory& factory)
{
    for (unsigned int b = 0; b < bucketCount(); ++b)
        for (Node* n = m_buckets[b]; n; n = n->next) factory.giveBack();
    empty();
}

void NodeHashIterator::attach(NodeHashTable* table)
{
    m_table = table;
    m_bucket = 0;
    m_node = nullptr;
    m_link = nullptr;
}

Node* NodeHashIterator::find(int x, int y)
{
    if (!m_table) return nullptr;
    m_bucket = m_table->hash(x, y);
    m_link = &m_table->m_buckets[m_bucket];
    while (*m_link && !((*m_link)->x == x && (*m_link)->y == y)) m_link = &(*m_link)->next;
    m_node = *m_link;
    return m_node;
}

Node* NodeHashIterator::seekBucket(unsigned int b)
{
    const unsigned int n = m_table->bucketCount();
    for (; b < n; ++b) {
        if (m_table->m_buckets[b]) {
            m_bucket = b;
            m_link = &m_table->m_buckets[b];
            m_node = *m_link;
            return m_node;
        }
    }
    m_bucket = n;
    m_link = nullptr;
    m_node = nullptr;
    return nullptr;
}

Node* NodeHashIterator::begin()
{
    if (!m_table) return nullptr;
    return seekBucket(0);
}

Node* NodeHashIterator::next()
{
    if (!m_table || !m_node) return nullptr;
    Node* following = m_node->next;
    // After remove() the link already points past the current node.
    if (*m_link == m_node) m_link = &m_node->next;
    m_node = following;
    if (m_node) return m_node;
    return seekBucket(m_bucket + 1);
}

Node* NodeHashIterator::remove()
{
    if (!m_table || !m_node || *m_link != m_node) return nullptr;
    *m_link = m_node->next;
    return m_node;
}

Node* NodeHashIterator::removeValid()
{
    Node* removed = remove();
    if (!removed) return nullptr;
    m_node = *m_link;
    if (!m_node) seekBucket(m_bucket + 1);
    return removed;
}

} // namespace __VELTRIC__
